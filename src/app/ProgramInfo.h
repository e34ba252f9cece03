#pragma once
// What the desktop program says about itself: the answers to --help and --version (its
// manual page is made from them), whether it can open a window at all, and its icon.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

class QIcon;
class QWidget;

// The text of `quorvane --help`.
std::string ProgramHelp();

// --help, -h or --version as the first argument (after the program name): writes the answer
// to out and returns true; the program then ends without opening a window.
bool AnswerInfoOption(const std::vector<std::string>& args, std::ostream& out);

// Whether Qt can be expected to find a display: a platform named in QT_QPA_PLATFORM or with
// -platform, or an X11 or Wayland display. getEnvironment returns "" for an unset variable.
bool DisplayAvailable(const std::vector<std::string>& args,
                      const std::function<std::string(const char*)>& getEnvironment);
// What the program says without one; it then ends with status 1.
std::string NoDisplayMessage();

// The program's icon at every size drawn for it (the window icon).
QIcon ProgramIcon();

// The about box: the icon's picture and the program version.
void ShowAboutBox(QWidget* parent);
