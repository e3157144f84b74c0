// GUI tests answer a dialog the moment it comes up, never after a fixed delay.
#pragma once

#include <functional>

class QDialog;
class QWidget;

// Calls act with the application's active modal widget as soon as there is
// one (from the event loop, which the code showing it is blocked in); act
// gets nullptr when none has come up within ms. Returns at once.
void WhenModalShows(std::function<void(QWidget*)> act, int ms = 5000);

// Starts `run` (which shows `dialog`, often modally) and calls act once the
// dialog is visible; a dialog still open `ms` later is closed with 99 and
// the test fails. Answers what run answers.
int RunWhenShown(QDialog& dialog, const std::function<void()>& act, const std::function<int()>& run, int ms = 10000);
