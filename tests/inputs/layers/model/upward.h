// A model file that reaches up into the play field.
#include "model/ok.h"
#include "base/helpers.h"
#include "field/field.h"
