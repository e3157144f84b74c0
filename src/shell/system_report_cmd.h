// Help > System Report for Support.
#pragma once

// Writes the system report into the jigsaw folder and opens it with the
// desktop's application for text; a file that cannot be written is reported.
void ShowSystemReport();
