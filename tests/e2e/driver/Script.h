// Scenario files: one step per line, UTF-8, '#' starts a comment.
//
// A line is split into words at blanks; a word in double quotes keeps its
// blanks and backslashes exactly (Windows paths need no escaping). Texts that
// are compared with what a window shows turn the two characters \n into a
// line break. Control ids are decimal or 0x-hex; a control is looked for
// among the window's children, then among its visible descendants (a
// wizard's current page). Times are milliseconds. %VARIABLES% of the
// environment are expanded in every word.
//
//   timeout MS                          wait limit of the steps that follow (default 10000)
//   launch [PROC]                       the runner starts Setup.exe in the medium folder; the
//                                       new process is named PROC (default "setup")
//   run PROC "COMMAND LINE"             the driver starts a process in C:\ (any program)
//   run PROC reg "HKCU\KEY" "VALUE"      the same with the command line a string value holds
//   window NAME caption "TEXT" [PROC]   wait for a visible dialog with that caption
//   window NAME control ID [PROC]       wait for a visible dialog holding control ID
//   click NAME ID                       post BM_CLICK to an enabled button
//   press NAME back|next|finish|cancel  post PSM_PRESSBUTTON to a wizard sheet
//   key NAME escape|enter|tab|space     post key down and up to the focused control
//   close NAME                          post SC_CLOSE (the close box)
//   answer "CAPTION" "TEXT" ok|yes|no|cancel [PROC]
//                                       wait for a message box, check it, click, wait it away;
//                                       TEXT * takes any text and prints it
//   screenshot NAME                     the runner saves NAME.png
//   snapshot NAME                       the runner lists the user folders, Program Files and
//                                       HKCU\Software (names, sizes, values)
//   reg set "HKCU\KEY" "VALUE" "DATA"   write a string value (creates the key)
//   reg delete "HKCU\KEY"               delete a key tree (missing is fine)
//   file write "PATH" hex "424D..."     write bytes (creates the folders)
//   file write "PATH" text "TEXT"
//   file copy "FROM" "TO"               (creates the folders)
//   file delete "PATH"
//   expect text NAME ID "TEXT"          a control's text
//   expect textlike NAME ID "TEXT"      the same, each # standing for a run of digits
//   expect caption NAME "TEXT"
//   expect enabled|disabled NAME ID...
//   expect checked|unchecked NAME ID
//   expect focus NAME ID                the control has the keyboard focus
//   expect pixel NAME X Y RRGGBB        a pixel of the client area
//   expect colour NAME ID RRGGBB        some pixel of the control has that colour
//   expect link "PATH" "TARGET"         a shortcut file, loaded back by the shell
//   links "FOLDER" "FILE"               every shortcut below FOLDER with its target (read by the
//                                       shell) and whether that is a file: "path<TAB>target<TAB>
//                                       installed|missing" lines, into FILE
//   expect gone NAME                    the window is destroyed or hidden
//   expect ended [PROC]                 the process ends within the timeout
//   expect running [PROC] [MS]          the process still runs, for MS more (default 0)
//   expect exitcode PROC N              the process ends within the timeout with exit code N
//   expect reg "HKCU\KEY" "VALUE" "DATA"   a string value (a DWORD compares as decimal)
//   expect noreg "HKCU\KEY" ["VALUE"]   the key (or the value) does not exist
//   expect file "PATH" [contains|lacks "TEXT"]
//   expect nofile "PATH"
//   expect same NAME NAME               two snapshots are equal
//
// Every expect polls until it holds or the timeout passes, so it also waits
// for the state that follows a click.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct Step {
    int line = 0;
    std::string text;                // the line as written, for messages
    std::vector<std::string> words;  // quotes removed
};

// Reads a scenario; on failure returns false with a message naming the line.
bool ReadScenario(const std::wstring& path, std::vector<Step>& steps, std::string& error);

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// "\n" (two characters) to a line break.
std::string Unescape(const std::string& text);

// Shows a text with its line breaks as \n, for messages.
std::string Quote(const std::string& text);

// One line to standard output: UTF-8 when redirected, UTF-16 on a console.
void Print(const std::string& text);

// Decimal or 0x-hex, no sign; false on anything else, `value` then untouched.
bool ParseNumber(const std::string& word, unsigned long& value);

}  // namespace e2e
