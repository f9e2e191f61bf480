#include "Driver.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "Remote.h"

namespace e2e {

namespace {

constexpr DWORD kPollMs = 15;
constexpr DWORD kRequestTimeoutMs = 60000;
constexpr int kMessageBoxText = 0xFFFF;

using Words = std::vector<std::string>;

// A step that does not hold throws StepFailed with what it found; one whose
// words do not fit its form throws BadUsage, and Execute names the form.
struct StepFailed {
    std::string message;
};
struct BadUsage {};

[[noreturn]] void Fail(const std::string& message) {
    throw StepFailed{message};
}

// Fails with "WHAT: error N" unless status is ERROR_SUCCESS (or, when allowed, not found).
void CheckStatus(const std::string& what, DWORD status, bool missingIsFine = false) {
    if (status != ERROR_SUCCESS && !(missingIsFine && status == ERROR_FILE_NOT_FOUND)) {
        Fail(what + ": error " + std::to_string(status));
    }
}

DWORD Status(BOOL ok) {
    return ok ? ERROR_SUCCESS : ::GetLastError();
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CheckStatus("PostMessage failed", Status(::PostMessageW(window, message, wParam, lParam)));
}

// A decimal or 0x-hex int; otherwise fails with `what` and the word, or (no
// `what`) with the step's usage.
int ParseInt(const std::string& word, const char* what = nullptr) {
    unsigned long number = 0;
    if (ParseNumber(word, number) && number <= 0x7FFFFFFFul) return static_cast<int>(number);
    if (what == nullptr) throw BadUsage{};
    Fail(what + word);
}

// RRGGBB as 0xRRGGBB.
unsigned long ParseColour(const std::string& word) {
    unsigned long rgb = 0;
    if (word.size() != 6 || !ParseNumber("0x" + word, rgb)) throw BadUsage{};
    return rgb;
}

// The entry for `key`; otherwise fails with `missing` (or, when none is given, with the usage).
template <typename T>
const T& Find(const std::map<std::string, T>& map, const std::string& key,
              const std::string& missing = "") {
    const auto found = map.find(key);
    if (found != map.end()) return found->second;
    if (missing.empty()) throw BadUsage{};
    Fail(missing);
}

std::string ExpandVariables(const std::string& word) {
    if (word.find('%') == std::string::npos) return word;
    const std::wstring wide = Widen(word);
    std::wstring expanded(32768, L'\0');
    const DWORD length = ::ExpandEnvironmentStringsW(wide.c_str(), &expanded[0], 32768);
    if (length == 0 || length > expanded.size()) return word;
    expanded.resize(length - 1);
    return Narrow(expanded);
}

// `text` as `pattern`, where each # stands for one or more decimal digits.
bool MatchesDigits(const std::string& text, const std::string& pattern) {
    size_t t = 0;
    for (size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] != '#') {
            if (t >= text.size() || text[t] != pattern[p]) return false;
            ++t;
            continue;
        }
        const size_t digits = t;
        while (t < text.size() && text[t] >= '0' && text[t] <= '9') ++t;
        if (t == digits) return false;
    }
    return t == text.size();
}

// The scenarios only touch the user's own keys: "HKCU\KEY" to KEY.
std::wstring UserKey(const std::string& path) {
    if (path.rfind("HKCU\\", 0) != 0) throw BadUsage{};
    return Widen(path.substr(5));
}

// Creates every folder above the last backslash of path.
void CreateParentFolders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
}

bool ParseHex(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned long value = 0;
        if (!ParseNumber("0x" + text.substr(i, 2), value)) return false;
        bytes += static_cast<char>(value);
    }
    return true;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    CreateParentFolders(path);
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
    out.close();
    return !out.fail();
}

bool ReadBytes(const std::wstring& path, std::string& bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a folder holds, its subfolders' entries after their folder, for a
// failure's message; empty for a file.
std::string Listing(const std::wstring& folder, int depth = 0) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    std::string listing;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        listing += "\n    " + std::string(2 * static_cast<size_t>(depth), ' ') + Narrow(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && depth < 2) {
            listing += Listing(folder + L"\\" + name, depth + 1);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return listing;
}

struct Process {
    DWORD pid = 0;
    HANDLE handle = nullptr;
};

// What the steps share: the runner's request folder (empty: no runner, such
// steps fail), the wait limit, and the processes and windows named so far.
struct Session {
    std::wstring requestDir;
    DWORD timeoutMs = 10000;
    std::map<std::string, Process> processes;
    std::map<std::string, HWND> windows;

    ~Session() {
        for (auto& entry : processes) {
            if (entry.second.handle != nullptr) ::CloseHandle(entry.second.handle);
        }
    }

    // Calls ready() every 15 ms until it returns true or the wait limit passes.
    static bool Poll(const std::function<bool()>& ready, ULONGLONG limitMs) {
        const ULONGLONG deadline = ::GetTickCount64() + limitMs;
        for (;;) {
            if (ready()) return true;
            if (::GetTickCount64() >= deadline) return false;
            ::Sleep(kPollMs);
        }
    }
    bool Poll(const std::function<bool()>& ready) const { return Poll(ready, timeoutMs); }
    std::string After() const { return " after " + std::to_string(timeoutMs) + " ms"; }

    // Polls until read() gives a text that is `expected` (like: each # in it standing for a run
    // of digits); otherwise fails with "WHAT "SEEN", expected "EXPECTED"".
    void ExpectText(const std::string& what, const std::string& expected, bool like,
                    const std::function<std::string()>& read) const {
        std::string seen;
        if (Poll([&] {
                seen = read();
                return like ? MatchesDigits(seen, expected) : seen == expected;
            })) {
            return;
        }
        Fail(what + " " + Quote(seen) + ", expected " + Quote(expected));
    }

    // Sends a request line to the runner and waits until it has been served.
    void Request(const std::string& line) const {
        if (requestDir.empty())
            Fail("no runner to serve \"" + line + "\" (no request folder given)");
        const std::wstring pending = requestDir + L"\\request.tmp";
        const std::wstring request = requestDir + L"\\request.txt";
        if (!WriteBytes(pending, line + "\n") ||
            !::MoveFileExW(pending.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            Fail("cannot write the request file " + Narrow(request));
        }
        if (!Poll([&] { return !Exists(request); }, kRequestTimeoutMs)) {
            ::DeleteFileW(request.c_str());
            Fail("the runner did not serve \"" + line + "\"");
        }
        // The runner reports a failed request by leaving a note beside it.
        const std::wstring failed = requestDir + L"\\request.failed";
        std::string why;
        if (!ReadBytes(failed, why)) return;
        ::DeleteFileW(failed.c_str());
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
        Fail("the runner could not serve \"" + line + "\": " + why);
    }

    const Process& NamedProcess(const std::string& name) const {
        return Find(processes, name, "no process named " + name + " (launch it first)");
    }

    // mustExist: the window must not have been destroyed since.
    HWND NamedWindow(const std::string& name, bool mustExist = false) const {
        HWND window = Find(windows, name,
                           "no window named " + name + " (wait for it with a window step first)");
        if (mustExist && !::IsWindow(window)) Fail("the window " + name + " no longer exists");
        return window;
    }

    HWND NamedControl(const std::string& window, const std::string& id) const {
        HWND parent = NamedWindow(window, true);
        const int number = ParseInt(id, "not a control id: ");
        // A page the wizard is changing to may not be shown yet.
        HWND control = nullptr;
        if (!Poll([&] { return (control = FindControl(parent, number)) != nullptr; })) {
            Fail("the window " + window + " has no control " + id);
        }
        return control;
    }
};

// Each step throws when it does not hold.
void Timeout(Session& s, const Words& w) {
    unsigned long ms = 0;
    if (!ParseNumber(w[1], ms)) throw BadUsage{};
    s.timeoutMs = ms;
}

// The runner saves the screen or a snapshot, or compares two snapshots.
void AskRunner(Session& s, const Words& w) {
    if (w[0] == "screenshot") return s.Request("screenshot " + w[1] + ".png");
    if (w[0] == "snapshot") return s.Request("snapshot " + w[1]);
    s.Request("compare " + w[2] + " " + w[3]);
}

void Launch(Session& s, const Words& w) {
    const std::set<DWORD> before = FindProcesses(L"Setup.exe");
    s.Request("launch");
    DWORD pid = 0;
    const bool started = s.Poll([&] {
        for (DWORD candidate : FindProcesses(L"Setup.exe")) {
            if (before.count(candidate) == 0) pid = candidate;
        }
        return pid != 0;
    });
    if (!started) Fail("no new Setup.exe process appeared");
    HANDLE handle = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (handle == nullptr) Fail("cannot open the process " + std::to_string(pid));
    Process& process = s.processes[w.size() == 2 ? w[1] : "setup"];
    if (process.handle != nullptr) ::CloseHandle(process.handle);
    process = Process{pid, handle};
}

// run PROC "COMMAND LINE", or run PROC reg "HKCU\KEY" "VALUE": the command
// line a registry value holds, as the list of installed programs starts it.
// The process starts in C:\, away from the medium.
void Run(Session& s, const Words& w) {
    std::wstring command = Widen(w[2]);
    if (w.size() == 5) {
        if (w[2] != "reg") throw BadUsage{};
        std::wstring data(32768, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (::RegGetValueW(HKEY_CURRENT_USER, UserKey(w[3]).c_str(), Widen(w[4]).c_str(),
                           RRF_RT_REG_SZ, nullptr, &data[0], &size) != ERROR_SUCCESS) {
            Fail("no string value " + w[4] + " in " + w[3]);
        }
        data.resize(wcslen(data.c_str()));
        command = data;
    } else if (w.size() != 3) {
        throw BadUsage{};
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                          &startup, &started)) {
        Fail("cannot start " + Narrow(command) + " (error " + std::to_string(::GetLastError()) +
             ")");
    }
    ::CloseHandle(started.hThread);
    Process& process = s.processes[w[1]];
    if (process.handle != nullptr) ::CloseHandle(process.handle);
    process = Process{started.dwProcessId, started.hProcess};
}

void WaitWindow(Session& s, const Words& w) {
    if (w[2] != "caption" && w[2] != "control") throw BadUsage{};
    const DWORD pid = s.NamedProcess(w.size() == 5 ? w[4] : "setup").pid;
    const bool byCaption = w[2] == "caption";
    const std::string caption = Unescape(w[3]);
    const int id = byCaption ? 0 : ParseInt(w[3], "not a control id: ");
    HWND found = nullptr;
    if (s.Poll([&] {
            return (found = FindDialog(pid, byCaption ? &caption : nullptr, id)) != nullptr;
        })) {
        s.windows[w[1]] = found;
        return;
    }
    // Name what is there instead, so a wrong caption is easy to spot.
    std::string seen;
    for (HWND top : VisibleWindows(pid)) {
        seen += " " + Quote(WindowCaption(top)) + " (" + WindowClass(top) + ")";
    }
    Fail("no visible dialog with " + (byCaption ? "caption " + Quote(caption) : "control " + w[3]) +
         s.After() + "; visible windows:" + (seen.empty() ? std::string(" none") : seen));
}

void Click(Session& s, const Words& w) {
    HWND control = s.NamedControl(w[1], w[2]);
    // A user cannot click a button that is disabled or not shown.
    if (!::IsWindowVisible(control)) Fail("control " + w[2] + " is hidden");
    if (!::IsWindowEnabled(control)) Fail("control " + w[2] + " is disabled");
    Post(control, BM_CLICK, 0, 0);
}

void Press(Session& s, const Words& w) {
    static const std::map<std::string, int> kButtons = {{"back", PSBTN_BACK},
                                                        {"next", PSBTN_NEXT},
                                                        {"finish", PSBTN_FINISH},
                                                        {"cancel", PSBTN_CANCEL}};
    const int button = Find(kButtons, w[2]);
    Post(s.NamedWindow(w[1]), PSM_PRESSBUTTON, button, 0);
}

void Key(Session& s, const Words& w) {
    static const std::map<std::string, UINT> kKeys = {
        {"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"space", VK_SPACE}};
    const UINT key = Find(kKeys, w[2]);
    CheckStatus("PostMessage failed", Status(PostKey(s.NamedWindow(w[1], true), key)));
}

void Close(Session& s, const Words& w) {
    Post(s.NamedWindow(w[1]), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Answer(Session& s, const Words& w) {
    static const std::map<std::string, int> kButtons = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    const int button = Find(kButtons, w[3]);
    const DWORD pid = s.NamedProcess(w.size() == 5 ? w[4] : "setup").pid;
    const std::string caption = Unescape(w[1]);
    HWND box = nullptr;
    if (!s.Poll([&] {
            box = FindDialog(pid, &caption, 0);
            return box != nullptr && ::GetDlgItem(box, kMessageBoxText) != nullptr;
        })) {
        HWND other = FindDialog(pid, nullptr, kMessageBoxText);
        const std::string missing = "no message box with caption " + Quote(w[1]);
        if (other == nullptr) Fail(missing + s.After());
        Fail(missing + "; found one with caption " + Quote(WindowCaption(other)) + " and text " +
             Quote(ControlText(::GetDlgItem(other, kMessageBoxText))));
    }
    // "*" takes any text, and shows it.
    if (w[2] == "*") {
        Print("box " + Quote(caption) + ": " + Quote(ControlText(::GetDlgItem(box, kMessageBoxText))));
    } else {
        s.ExpectText("message box text is", Unescape(w[2]), false,
                     [&] { return ControlText(::GetDlgItem(box, kMessageBoxText)); });
    }
    HWND control = ::GetDlgItem(box, button);
    if (control == nullptr) Fail("the message box has no button " + w[3]);
    Post(control, BM_CLICK, 0, 0);
    if (!s.Poll([&] { return !::IsWindowVisible(box); })) {
        Fail("the message box stayed open after button " + w[3]);
    }
}

void RegSet(Session&, const Words& w) {
    const std::wstring name = Widen(w[3]);
    const std::wstring data = Widen(w[4]);
    CheckStatus(
        "RegSetKeyValue",
        ::RegSetKeyValueW(HKEY_CURRENT_USER, UserKey(w[2]).c_str(), name.c_str(), REG_SZ,
                          data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))));
}

void RegDelete(Session&, const Words& w) {
    const std::wstring key = UserKey(w[2]);
    CheckStatus("RegDeleteTree", ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()), true);
    CheckStatus("RegDeleteKey", ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()), true);
}

void FileWrite(Session&, const Words& w) {
    std::string bytes = Unescape(w[4]);
    if (w[3] != "text" && w[3] != "hex") throw BadUsage{};
    if (w[3] == "hex" && !ParseHex(w[4], bytes)) Fail("not hex bytes: " + w[4]);
    if (!WriteBytes(Widen(w[2]), bytes)) Fail("cannot write " + w[2]);
}

void FileCopy(Session&, const Words& w) {
    const std::wstring to = Widen(w[3]);
    CreateParentFolders(to);
    CheckStatus("CopyFile", Status(::CopyFileW(Widen(w[2]).c_str(), to.c_str(), FALSE)));
}

void FileDelete(Session&, const Words& w) {
    CheckStatus("DeleteFile", Status(::DeleteFileW(Widen(w[2]).c_str())), true);
}

void ExpectGone(Session& s, const Words& w) {
    HWND window = s.NamedWindow(w[2]);
    if (!s.Poll([&] { return !::IsWindowVisible(window); })) {
        Fail("the window " + w[2] + " is still shown" + s.After());
    }
}

void ExpectCaption(Session& s, const Words& w) {
    HWND window = s.NamedWindow(w[2]);
    s.ExpectText("caption is", Unescape(w[3]), false, [&] { return WindowCaption(window); });
}

// text: the whole text; textlike: the same, each # standing for a run of digits.
void ExpectText(Session& s, const Words& w) {
    HWND control = s.NamedControl(w[2], w[3]);
    s.ExpectText("control " + w[3] + " shows", Unescape(w[4]), w[1] == "textlike",
                 [&] { return ControlText(control); });
}

void ExpectFocus(Session& s, const Words& w) {
    HWND control = s.NamedControl(w[2], w[3]);
    HWND window = s.NamedWindow(w[2]);
    HWND focus = nullptr;
    if (!s.Poll([&] { return (focus = FocusedWindow(window)) == control; })) {
        Fail("the focus is on " + (focus == nullptr
                                       ? std::string("no window")
                                       : "control " + std::to_string(::GetDlgCtrlID(focus))));
    }
}

// enabled, disabled, checked, unchecked: each control named.
void ExpectStates(Session& s, const Words& w) {
    for (size_t i = 3; i < w.size(); ++i) {
        HWND control = s.NamedControl(w[2], w[i]);
        if (w[1] == "enabled" || w[1] == "disabled") {
            const bool wanted = w[1] == "enabled";
            if (!s.Poll([&] { return (::IsWindowEnabled(control) != FALSE) == wanted; })) {
                Fail("control " + w[i] + " is " + (wanted ? "disabled" : "enabled"));
            }
            continue;
        }
        const LRESULT wanted = w[1] == "checked" ? BST_CHECKED : BST_UNCHECKED;
        LRESULT state = -1;
        if (!s.Poll([&] { return (state = ButtonCheck(control)) == wanted; })) {
            Fail("control " + w[i] + " has check state " + std::to_string(state) + ", expected " +
                 std::to_string(wanted));
        }
    }
}

// exitcode PROC N: the process ends within the timeout with exit code N.
void ExpectExitCode(Session& s, const Words& w) {
    const HANDLE process = s.NamedProcess(w[2]).handle;
    if (::WaitForSingleObject(process, s.timeoutMs) != WAIT_OBJECT_0) {
        Fail("the process " + w[2] + " still runs" + s.After());
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    if (std::to_string(code) != w[3]) {
        Fail("the process " + w[2] + " ended with exit code " + std::to_string(code));
    }
}

// ended [PROC]: within the timeout; running [PROC] [MS]: still, for MS more.
void ExpectProcess(Session& s, const Words& w) {
    std::string alias = "setup";
    unsigned long holdMs = 0;
    for (size_t i = 2; i < w.size(); ++i) {
        if (!ParseNumber(w[i], holdMs)) alias = w[i];
    }
    const HANDLE process = s.NamedProcess(alias).handle;
    if (w[1] == "ended") {
        if (::WaitForSingleObject(process, s.timeoutMs) == WAIT_OBJECT_0) return;
        Fail("the process " + alias + " still runs" + s.After());
    }
    if (::WaitForSingleObject(process, holdMs) == WAIT_TIMEOUT) return;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    Fail("the process " + alias + " has ended (exit code " + std::to_string(code) + ")");
}

// reg KEY VALUE DATA: a string value (a DWORD as decimal); noreg KEY [VALUE]: gone.
void ExpectRegistry(Session& s, const Words& w) {
    const std::wstring subKey = UserKey(w[2]);
    std::string seen;
    auto read = [&]() -> bool {  // true when the key (and the value, if named) exists
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS) {
            seen = "(no key)";
            return false;
        }
        ::RegCloseKey(key);
        if (w.size() == 3) {
            seen = "(key exists)";
            return true;
        }
        DWORD type = 0;
        std::wstring data(32768, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (::RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), Widen(w[3]).c_str(),
                           RRF_RT_ANY | RRF_NOEXPAND, &type, &data[0], &size) != ERROR_SUCCESS) {
            seen = "(no value)";
            return false;
        }
        DWORD number = 0;
        memcpy(&number, data.data(), sizeof(number));
        seen = type == REG_DWORD ? std::to_string(number) : Narrow(data.c_str());
        return true;
    };
    const auto shown = [&] { return seen[0] == '(' ? seen : Quote(seen); };
    if (w[1] == "reg") {
        if (!s.Poll([&] { return read() && seen == w[4]; })) {
            Fail("the value is " + shown() + ", expected " + Quote(w[4]));
        }
    } else if (!s.Poll([&] { return !read(); })) {
        Fail("it still exists: " + shown());
    }
}

void ExpectFile(Session& s, const Words& w) {
    if (w.size() == 4 || (w.size() == 5 && w[3] != "contains" && w[3] != "lacks")) {
        throw BadUsage{};
    }
    const std::wstring path = Widen(w[2]);
    if (!s.Poll([&] { return Exists(path); })) Fail("no such file" + s.After());
    if (w.size() == 3) return;
    const std::string wanted = Unescape(w[4]);
    const bool contains = w[3] == "contains";
    std::string bytes;
    if (!s.Poll([&] {
            return ReadBytes(path, bytes) && (bytes.find(wanted) != std::string::npos) == contains;
        })) {
        Fail("the file " + std::string(contains ? "does not contain " : "contains ") +
             Quote(wanted) + "; it holds " + Quote(bytes));
    }
}

void ExpectNoFile(Session& s, const Words& w) {
    const std::wstring path = Widen(w[2]);
    if (!s.Poll([&] { return !Exists(path); })) Fail("the file still exists" + Listing(path));
}

void ExpectPixel(Session& s, const Words& w) {
    const int x = ParseInt(w[3]);
    const int y = ParseInt(w[4]);
    const unsigned long wanted = ParseColour(w[5]);
    HWND window = s.NamedWindow(w[2]);
    unsigned long seen = 0;
    bool read = false;
    if (s.Poll([&] { return (read = ClientPixel(window, x, y, seen)) && seen == wanted; })) return;
    if (!read) Fail("cannot read the pixel");
    char shown[8];
    std::snprintf(shown, sizeof(shown), "%06lx", seen);
    Fail("pixel (" + w[3] + ", " + w[4] + ") is " + shown + ", expected " + w[5]);
}

void ExpectColour(Session& s, const Words& w) {
    const unsigned long wanted = ParseColour(w[4]);
    HWND control = s.NamedControl(w[2], w[3]);
    if (!s.Poll([&] { return ControlShowsColour(control, wanted); })) {
        Fail("no pixel of control " + w[3] + " is " + w[4]);
    }
}

void ExpectLink(Session& s, const Words& w) {
    std::string target;
    std::string error;
    if (!s.Poll([&] { return ReadShellLink(w[2], target, error); })) Fail(error);
    if (target != w[3]) Fail("the link leads to " + Quote(target) + ", expected " + Quote(w[3]));
}

// Every shortcut below FOLDER, read back by the shell: one line each, the
// link's path, a tab and its target, into FILE (UTF-8).
void ListLinks(Session&, const Words& w) {
    std::string lines;
    std::function<void(const std::wstring&)> walk = [&](const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                walk(path);
            } else if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".lnk") == 0) {
                std::string target, error;
                bool there = false;
                if (ReadShellLink(Narrow(path), target, error)) {
                    const DWORD attributes = ::GetFileAttributesW(Widen(target).c_str());
                    there = attributes != INVALID_FILE_ATTRIBUTES &&
                            !(attributes & FILE_ATTRIBUTE_DIRECTORY);
                } else {
                    target = "(" + error + ")";
                }
                lines += Narrow(path) + "\t" + target + "\t" + (there ? "installed" : "missing") +
                         "\n";
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    };
    walk(Widen(w[1]));
    if (!WriteBytes(Widen(w[2]), lines)) Fail("cannot write " + w[2]);
}

void Execute(Session& s, const Words& words) {
    // Folders below the user's profile differ by user: %USERPROFILE% and
    // the like are expanded in every word (unknown names stay as written).
    Words w;
    for (const std::string& word : words) w.push_back(ExpandVariables(word));
    // Each form: its first word or two, the number of words it takes, and its usage.
    static const struct Form {
        const char* name;
        size_t minWords, maxWords;
        void (*run)(Session&, const Words&);
        const char* usage;
    } kForms[] = {
        {"timeout", 2, 2, &Timeout, "MS"},
        {"launch", 1, 2, &Launch, "[PROC]"},
        {"run", 3, 5, &Run, "PROC \"COMMAND LINE\" | run PROC reg \"HKCU\\KEY\" \"VALUE\""},
        {"window", 4, 5, &WaitWindow,
         "NAME caption \"TEXT\" [PROC] | window NAME control ID [PROC]"},
        {"click", 3, 3, &Click, "NAME ID"},
        {"press", 3, 3, &Press, "NAME back|next|finish|cancel"},
        {"key", 3, 3, &Key, "NAME escape|enter|tab|space"},
        {"close", 2, 2, &Close, "NAME"},
        {"answer", 4, 5, &Answer, "\"CAPTION\" \"TEXT\" ok|yes|no|cancel [PROC]"},
        {"screenshot", 2, 2, &AskRunner, "NAME"},
        {"snapshot", 2, 2, &AskRunner, "NAME"},
        {"reg set", 5, 5, &RegSet, "\"HKCU\\KEY\" \"VALUE\" \"DATA\""},
        {"reg delete", 3, 3, &RegDelete, "\"HKCU\\KEY\""},
        {"file write", 5, 5, &FileWrite, "\"PATH\" hex|text \"DATA\""},
        {"file copy", 4, 4, &FileCopy, "\"FROM\" \"TO\""},
        {"file delete", 3, 3, &FileDelete, "\"PATH\""},
        {"expect text", 5, 5, &ExpectText, "NAME ID \"TEXT\""},
        {"expect textlike", 5, 5, &ExpectText, "NAME ID \"TEXT\""},
        {"expect caption", 4, 4, &ExpectCaption, "NAME \"TEXT\""},
        {"expect enabled", 4, SIZE_MAX, &ExpectStates, "NAME ID..."},
        {"expect disabled", 4, SIZE_MAX, &ExpectStates, "NAME ID..."},
        {"expect checked", 4, SIZE_MAX, &ExpectStates, "NAME ID..."},
        {"expect unchecked", 4, SIZE_MAX, &ExpectStates, "NAME ID..."},
        {"expect focus", 4, 4, &ExpectFocus, "NAME ID"},
        {"expect pixel", 6, 6, &ExpectPixel, "NAME X Y RRGGBB"},
        {"expect colour", 5, 5, &ExpectColour, "NAME ID RRGGBB"},
        {"expect link", 4, 4, &ExpectLink, "\"PATH\" \"TARGET\""},
        {"links", 3, 3, &ListLinks, "\"FOLDER\" \"FILE\""},
        {"expect gone", 3, 3, &ExpectGone, "NAME"},
        {"expect ended", 2, 3, &ExpectProcess, "[PROC]"},
        {"expect exitcode", 4, 4, &ExpectExitCode, "PROC N"},
        {"expect running", 2, 4, &ExpectProcess, "[PROC] [MS]"},
        {"expect reg", 5, 5, &ExpectRegistry, "\"HKCU\\KEY\" \"VALUE\" \"DATA\""},
        {"expect noreg", 3, 4, &ExpectRegistry, "\"HKCU\\KEY\" [\"VALUE\"]"},
        {"expect file", 3, 5, &ExpectFile, "\"PATH\" [contains|lacks \"TEXT\"]"},
        {"expect nofile", 3, 3, &ExpectNoFile, "\"PATH\""},
        {"expect same", 4, 4, &AskRunner, "SNAPSHOT SNAPSHOT"},
    };
    const std::string twoWords = w[0] + (w.size() > 1 ? " " + w[1] : "");
    for (const Form& form : kForms) {
        if (form.name != w[0] && form.name != twoWords) continue;
        try {
            if (w.size() < form.minWords || w.size() > form.maxWords) throw BadUsage{};
            form.run(s, w);
        } catch (const BadUsage&) {
            Fail("usage: " + std::string(form.name) + " " + form.usage);
        }
        return;
    }
    Fail("unknown step \"" + twoWords + "\"");
}

}  // namespace

int RunScenario(const std::vector<Step>& steps, const std::string& fileName,
                const std::wstring& requestDir, const std::string& name) {
    Session session;
    session.requestDir = requestDir;
    for (const Step& step : steps) {
        Print("  " + std::to_string(step.line) + ": " + step.text);
        try {
            Execute(session, step.words);
        } catch (const StepFailed& failed) {
            Print(fileName + ":" + std::to_string(step.line) + ": step failed: " + step.text);
            Print("  " + failed.message);
            try {
                if (!requestDir.empty()) session.Request("screenshot " + name + "-failure.png");
            } catch (const StepFailed& shot) {
                Print("  (no failure screenshot: " + shot.message + ")");
            }
            return 1;
        }
    }
    return 0;
}

}  // namespace e2e
