#include "Driver.h"

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "Remote.h"

namespace e2e {

namespace {

constexpr DWORD kPollMs = 15;
constexpr DWORD kRequestTimeoutMs = 60000;
constexpr int kMessageBoxText = 0xFFFF;

std::string Win32Error(DWORD code) {
    return "error " + std::to_string(code);
}

bool ParseInt(const std::string& word, int& value) {
    unsigned long number = 0;
    if (!ParseNumber(word, number) || number > 0x7FFFFFFFul) return false;
    value = static_cast<int>(number);
    return true;
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

bool SplitRegistryPath(const std::string& path, HKEY& root, std::wstring& subKey) {
    const size_t slash = path.find('\\');
    const std::string head = path.substr(0, slash);
    if (head == "HKCU" || head == "HKEY_CURRENT_USER") {
        root = HKEY_CURRENT_USER;
    } else if (head == "HKLM" || head == "HKEY_LOCAL_MACHINE") {
        root = HKEY_LOCAL_MACHINE;
    } else {
        return false;
    }
    subKey = slash == std::string::npos ? std::wstring() : Widen(path.substr(slash + 1));
    return true;
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
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
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

const char* ButtonWord(int id) {
    switch (id) {
    case IDOK:
        return "ok";
    case IDCANCEL:
        return "cancel";
    case IDYES:
        return "yes";
    case IDNO:
        return "no";
    default:
        return nullptr;
    }
}

bool ParseButton(const std::string& word, int& id) {
    for (int candidate : {IDOK, IDCANCEL, IDYES, IDNO}) {
        if (word == ButtonWord(candidate)) {
            id = candidate;
            return true;
        }
    }
    return ParseInt(word, id);
}

}  // namespace

Driver::Driver(std::wstring requestDir, std::string name)
    : requestDir_(std::move(requestDir)), name_(std::move(name)) {}

Driver::~Driver() {
    for (auto& entry : processes_) {
        if (entry.second.handle != nullptr) ::CloseHandle(entry.second.handle);
    }
}

int Driver::Run(const std::vector<Step>& steps, const std::string& fileName) {
    for (const Step& step : steps) {
        Print("  " + std::to_string(step.line) + ": " + step.text);
        const std::string error = Execute(step.words);
        if (error.empty()) continue;
        Print(fileName + ":" + std::to_string(step.line) + ": step failed: " + step.text);
        Print("  " + error);
        if (!requestDir_.empty()) {
            const std::string shot = Request("screenshot " + name_ + "-failure.png");
            if (!shot.empty()) Print("  (no failure screenshot: " + shot + ")");
        }
        return 1;
    }
    return 0;
}

std::string Driver::Execute(const Words& words) {
    // Folders below the user's profile differ by user: %USERPROFILE% and
    // the like are expanded in every word (unknown names stay as written).
    Words w;
    for (const std::string& word : words) w.push_back(ExpandVariables(word));
    const std::string& verb = w[0];
    if (verb == "timeout" || verb == "sleep") {
        unsigned long ms = 0;
        if (w.size() != 2 || !ParseNumber(w[1], ms)) return "usage: " + verb + " MS";
        if (verb == "timeout") {
            timeoutMs_ = ms;
        } else {
            ::Sleep(ms);
        }
        return "";
    }
    if (verb == "launch") return Launch(w);
    if (verb == "window") return WaitWindow(w);
    if (verb == "click") return Click(w, false);
    if (verb == "command") return Click(w, true);
    if (verb == "press") return Press(w);
    if (verb == "key") return Key(w);
    if (verb == "close") return Close(w);
    if (verb == "answer") return Answer(w);
    if (verb == "screenshot") {
        if (w.size() != 2) return "usage: screenshot NAME";
        return Request("screenshot " + w[1] + ".png");
    }
    if (verb == "snapshot") {
        if (w.size() != 2) return "usage: snapshot NAME";
        return Request("snapshot " + w[1]);
    }
    if (verb == "reg") return Registry(w);
    if (verb == "file") return File(w);
    if (verb == "expect") return Expect(w);
    return "unknown step \"" + verb + "\"";
}

bool Driver::Poll(const std::function<bool()>& ready) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs_;
    for (;;) {
        if (ready()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(kPollMs);
    }
}

std::string Driver::Request(const std::string& line) {
    if (requestDir_.empty()) return "no runner to serve \"" + line + "\" (no request folder given)";
    const std::wstring pending = requestDir_ + L"\\request.tmp";
    const std::wstring request = requestDir_ + L"\\request.txt";
    if (!WriteBytes(pending, line + "\n") ||
        !::MoveFileExW(pending.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return "cannot write the request file " + Narrow(request);
    }
    ++requests_;
    const ULONGLONG deadline = ::GetTickCount64() + kRequestTimeoutMs;
    while (Exists(request)) {
        if (::GetTickCount64() >= deadline) {
            ::DeleteFileW(request.c_str());
            return "the runner did not serve \"" + line + "\"";
        }
        ::Sleep(kPollMs);
    }
    // The runner reports a failed request by leaving a note beside it.
    const std::wstring failed = requestDir_ + L"\\request.failed";
    std::string why;
    if (ReadBytes(failed, why)) {
        ::DeleteFileW(failed.c_str());
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
        return "the runner could not serve \"" + line + "\": " + why;
    }
    return "";
}

std::string Driver::Launch(const Words& w) {
    if (w.size() > 2) return "usage: launch [PROC]";
    const std::string alias = w.size() == 2 ? w[1] : "setup";
    const std::set<DWORD> before = FindProcesses(L"Setup.exe");
    const std::string error = Request("launch");
    if (!error.empty()) return error;
    DWORD pid = 0;
    const bool started = Poll([&] {
        for (DWORD candidate : FindProcesses(L"Setup.exe")) {
            if (before.count(candidate) == 0) {
                pid = candidate;
                return true;
            }
        }
        return false;
    });
    if (!started) return "no new Setup.exe process appeared";
    HANDLE handle = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (handle == nullptr) return "cannot open the process " + std::to_string(pid);
    Process& process = processes_[alias];
    if (process.handle != nullptr) ::CloseHandle(process.handle);
    process = Process{pid, handle};
    return "";
}

bool Driver::ResolveProcess(const std::string& name, DWORD& pid, std::string& error) const {
    if (name == "any") {
        pid = 0;
        return true;
    }
    const std::string alias = name.empty() ? "setup" : name;
    const auto found = processes_.find(alias);
    if (found == processes_.end()) {
        error = "no process named " + alias + " (launch it first)";
        return false;
    }
    pid = found->second.pid;
    return true;
}

HWND Driver::NamedWindow(const std::string& name, std::string& error) const {
    const auto found = windows_.find(name);
    if (found == windows_.end()) {
        error = "no window named " + name + " (wait for it with a window step first)";
        return nullptr;
    }
    return found->second;
}

HWND Driver::NamedControl(const std::string& window, const std::string& id,
                          std::string& error) const {
    HWND parent = NamedWindow(window, error);
    if (parent == nullptr) return nullptr;
    int number = 0;
    if (!ParseInt(id, number)) {
        error = "not a control id: " + id;
        return nullptr;
    }
    if (!::IsWindow(parent)) {
        error = "the window " + window + " no longer exists";
        return nullptr;
    }
    // A page the wizard is changing to may not be shown yet.
    HWND control = nullptr;
    Poll([&] { return (control = FindControl(parent, number)) != nullptr; });
    if (control == nullptr) error = "the window " + window + " has no control " + id;
    return control;
}

std::string Driver::WaitWindow(const Words& w) {
    if (w.size() < 4 || w.size() > 5 || (w[2] != "caption" && w[2] != "control")) {
        return "usage: window NAME caption \"TEXT\" [PROC|any] | window NAME control ID [PROC|any]";
    }
    std::string error;
    DWORD pid = 0;
    if (!ResolveProcess(w.size() == 5 ? w[4] : "", pid, error)) return error;
    const bool byCaption = w[2] == "caption";
    const std::wstring caption = Widen(Unescape(w[3]));
    int id = 0;
    if (!byCaption && !ParseInt(w[3], id)) return "not a control id: " + w[3];
    HWND found = nullptr;
    if (!Poll([&] {
            found = FindDialog(pid, byCaption ? &caption : nullptr, id);
            return found != nullptr;
        })) {
        std::string seen;
        // Name what is there instead, so a wrong caption is easy to spot.
        for (HWND top = ::GetTopWindow(nullptr); top != nullptr;
             top = ::GetWindow(top, GW_HWNDNEXT)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if ((pid == 0 || owner == pid) && ::IsWindowVisible(top)) {
                seen +=
                    " " + Quote(Narrow(WindowCaption(top))) + " (" + Narrow(WindowClass(top)) + ")";
            }
        }
        return "no visible dialog with " + std::string(byCaption ? "caption " : "control ") +
               (byCaption ? Quote(Narrow(caption)) : w[3]) + " after " +
               std::to_string(timeoutMs_) +
               " ms; visible windows:" + (seen.empty() ? std::string(" none") : seen);
    }
    windows_[w[1]] = found;
    return "";
}

std::string Driver::Click(const Words& w, bool asCommand) {
    if (w.size() != 3) return "usage: " + w[0] + " NAME ID";
    std::string error;
    HWND control = NamedControl(w[1], w[2], error);
    if (control == nullptr) return error;
    // A user cannot click a button that is disabled or not shown.
    if (!::IsWindowVisible(control)) return "control " + w[2] + " is hidden";
    if (!::IsWindowEnabled(control)) return "control " + w[2] + " is disabled";
    BOOL posted = FALSE;
    if (asCommand) {
        const WPARAM param = MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED);
        posted = ::PostMessageW(::GetParent(control), WM_COMMAND, param,
                                reinterpret_cast<LPARAM>(control));
    } else {
        posted = ::PostMessageW(control, BM_CLICK, 0, 0);
    }
    return posted ? "" : "PostMessage failed: " + Win32Error(::GetLastError());
}

std::string Driver::Press(const Words& w) {
    static const std::map<std::string, int> kButtons = {{"back", PSBTN_BACK},
                                                        {"next", PSBTN_NEXT},
                                                        {"finish", PSBTN_FINISH},
                                                        {"cancel", PSBTN_CANCEL}};
    if (w.size() != 3 || kButtons.count(w[2]) == 0) {
        return "usage: press NAME back|next|finish|cancel";
    }
    std::string error;
    HWND sheet = NamedWindow(w[1], error);
    if (sheet == nullptr) return error;
    if (!::PostMessageW(sheet, PSM_PRESSBUTTON, kButtons.at(w[2]), 0)) {
        return "PostMessage failed: " + Win32Error(::GetLastError());
    }
    return "";
}

std::string Driver::Key(const Words& w) {
    static const std::map<std::string, UINT> kKeys = {
        {"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"space", VK_SPACE}};
    if (w.size() != 3 || kKeys.count(w[2]) == 0) return "usage: key NAME escape|enter|tab|space";
    std::string error;
    HWND window = NamedWindow(w[1], error);
    if (window == nullptr) return error;
    if (!::IsWindow(window)) return "the window " + w[1] + " no longer exists";
    return PostKey(window, kKeys.at(w[2])) ? "" : "PostMessage failed";
}

std::string Driver::Close(const Words& w) {
    if (w.size() != 2) return "usage: close NAME";
    std::string error;
    HWND window = NamedWindow(w[1], error);
    if (window == nullptr) return error;
    if (!::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0)) {
        return "PostMessage failed: " + Win32Error(::GetLastError());
    }
    return "";
}

std::string Driver::Answer(const Words& w) {
    int button = 0;
    if (w.size() < 4 || w.size() > 5 || !ParseButton(w[3], button)) {
        return "usage: answer \"CAPTION\" \"TEXT\" ok|yes|no|cancel|ID [PROC|any]";
    }
    std::string error;
    DWORD pid = 0;
    if (!ResolveProcess(w.size() == 5 ? w[4] : "", pid, error)) return error;
    const std::wstring caption = Widen(Unescape(w[1]));
    const std::string expected = Unescape(w[2]);

    HWND box = nullptr;
    if (!Poll([&] {
            box = FindDialog(pid, &caption, 0);
            return box != nullptr && ::GetDlgItem(box, kMessageBoxText) != nullptr;
        })) {
        HWND other = FindDialog(pid, nullptr, kMessageBoxText);
        if (other == nullptr) {
            return "no message box with caption " + Quote(w[1]) + " after " +
                   std::to_string(timeoutMs_) + " ms";
        }
        std::wstring text;
        ControlText(::GetDlgItem(other, kMessageBoxText), text);
        return "no message box with caption " + Quote(w[1]) + "; found one with caption " +
               Quote(Narrow(WindowCaption(other))) + " and text " + Quote(Narrow(text));
    }
    std::wstring text;
    if (!ControlText(::GetDlgItem(box, kMessageBoxText), text)) return "cannot read the text";
    if (Narrow(text) != expected) {
        return "message box text is " + Quote(Narrow(text)) + ", expected " + Quote(expected);
    }
    HWND control = ::GetDlgItem(box, button);
    if (control == nullptr) return "the message box has no button " + w[3];
    if (!::PostMessageW(control, BM_CLICK, 0, 0)) {
        return "PostMessage failed: " + Win32Error(::GetLastError());
    }
    if (!Poll([&] { return !::IsWindow(box) || !::IsWindowVisible(box); })) {
        return "the message box stayed open after button " + w[3];
    }
    return "";
}

std::string Driver::Registry(const Words& w) {
    HKEY root = nullptr;
    std::wstring subKey;
    if (w.size() < 3 || !SplitRegistryPath(w[2], root, subKey)) {
        return "usage: reg set \"HKCU\\KEY\" \"VALUE\" \"DATA\" | reg delete \"HKCU\\KEY\"";
    }
    if (w[1] == "delete" && w.size() == 3) {
        const LSTATUS status = ::RegDeleteTreeW(root, subKey.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            return "RegDeleteTree: " + Win32Error(static_cast<DWORD>(status));
        }
        const LSTATUS removed = ::RegDeleteKeyW(root, subKey.c_str());
        if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
            return "RegDeleteKey: " + Win32Error(static_cast<DWORD>(removed));
        }
        return "";
    }
    if (w[1] != "set" || w.size() != 5) return "usage: reg set \"HKCU\\KEY\" \"VALUE\" \"DATA\"";
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                       &key, nullptr);
    if (status != ERROR_SUCCESS) return "RegCreateKeyEx: " + Win32Error(static_cast<DWORD>(status));
    const std::wstring name = Widen(w[3]);
    const std::wstring data = Widen(w[4]);
    status =
        ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return "RegSetValueEx: " + Win32Error(static_cast<DWORD>(status));
    return "";
}

std::string Driver::File(const Words& w) {
    if (w.size() == 5 && w[1] == "write" && (w[3] == "hex" || w[3] == "text")) {
        std::string bytes = w[4];
        if (w[3] == "hex" && !ParseHex(w[4], bytes)) return "not hex bytes: " + w[4];
        if (w[3] == "text") bytes = Unescape(w[4]);
        return WriteBytes(Widen(w[2]), bytes) ? "" : "cannot write " + w[2];
    }
    if (w.size() == 4 && w[1] == "copy") {
        const std::wstring to = Widen(w[3]);
        CreateParentFolders(to);
        if (!::CopyFileW(Widen(w[2]).c_str(), to.c_str(), FALSE)) {
            return "CopyFile: " + Win32Error(::GetLastError());
        }
        return "";
    }
    if (w.size() == 3 && w[1] == "delete") {
        const std::wstring path = Widen(w[2]);
        if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
            return "DeleteFile: " + Win32Error(::GetLastError());
        }
        return "";
    }
    return "usage: file write \"PATH\" hex|text \"DATA\" | file copy \"FROM\" \"TO\" | "
           "file delete \"PATH\"";
}

std::string Driver::Expect(const Words& w) {
    if (w.size() < 2) return "usage: expect WHAT ...";
    const std::string& what = w[1];
    if (what == "text" || what == "textlike" || what == "caption" || what == "enabled" ||
        what == "disabled" || what == "checked" || what == "unchecked" || what == "gone" ||
        what == "focus") {
        return ExpectControl(w);
    }
    if (what == "ended" || what == "running") return ExpectProcess(w);
    if (what == "reg" || what == "noreg") return ExpectRegistry(w);
    if (what == "file" || what == "nofile") return ExpectFile(w);
    if (what == "pixel") return ExpectPixel(w);
    if (what == "colour") return ExpectColour(w);
    if (what == "link") return ExpectLink(w);
    if (what == "same") {
        if (w.size() != 4) return "usage: expect same SNAPSHOT SNAPSHOT";
        return Request("compare " + w[2] + " " + w[3]);
    }
    return "unknown expectation \"" + what + "\"";
}

std::string Driver::ExpectControl(const Words& w) {
    const std::string& what = w[1];
    if (w.size() < 3) return "usage: expect " + what + " NAME ...";
    std::string error;
    HWND window = NamedWindow(w[2], error);
    if (window == nullptr) return error;

    if (what == "gone") {
        if (w.size() != 3) return "usage: expect gone NAME";
        if (Poll([&] { return !::IsWindow(window) || !::IsWindowVisible(window); })) return "";
        return "the window " + w[2] + " is still shown after " + std::to_string(timeoutMs_) + " ms";
    }
    if (what == "caption") {
        if (w.size() != 4) return "usage: expect caption NAME \"TEXT\"";
        const std::string expected = Unescape(w[3]);
        std::string seen;
        if (Poll([&] {
                seen = Narrow(WindowCaption(window));
                return seen == expected;
            })) {
            return "";
        }
        return "caption is " + Quote(seen) + ", expected " + Quote(expected);
    }
    if (what == "text" || what == "textlike") {
        if (w.size() != 5) return "usage: expect " + what + " NAME ID \"TEXT\"";
        HWND control = NamedControl(w[2], w[3], error);
        if (control == nullptr) return error;
        const std::string expected = Unescape(w[4]);
        std::string seen;
        if (Poll([&] {
                std::wstring text;
                seen = ControlText(control, text) ? Narrow(text) : "(no answer)";
                return what == "text" ? seen == expected : MatchesDigits(seen, expected);
            })) {
            return "";
        }
        return "control " + w[3] + " shows " + Quote(seen) + ", expected " + Quote(expected);
    }
    if (what == "focus") {
        if (w.size() != 4) return "usage: expect focus NAME ID";
        HWND control = NamedControl(w[2], w[3], error);
        if (control == nullptr) return error;
        HWND focus = nullptr;
        const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
        if (Poll([&] {
                GUITHREADINFO info{};
                info.cbSize = sizeof(info);
                focus = ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
                return focus == control;
            })) {
            return "";
        }
        return "the focus is on " + (focus == nullptr
                                         ? std::string("no window")
                                         : "control " + std::to_string(::GetDlgCtrlID(focus)));
    }
    if (w.size() < 4) return "usage: expect " + what + " NAME ID...";
    for (size_t i = 3; i < w.size(); ++i) {
        HWND control = NamedControl(w[2], w[i], error);
        if (control == nullptr) return error;
        if (what == "enabled" || what == "disabled") {
            const bool wanted = what == "enabled";
            if (!Poll([&] { return (::IsWindowEnabled(control) != FALSE) == wanted; })) {
                return "control " + w[i] + " is " + (wanted ? "disabled" : "enabled");
            }
            continue;
        }
        const LRESULT wanted = what == "checked" ? BST_CHECKED : BST_UNCHECKED;
        LRESULT state = -1;
        if (!Poll([&] { return ButtonCheck(control, state) && state == wanted; })) {
            return "control " + w[i] + " has check state " + std::to_string(state) + ", expected " +
                   std::to_string(wanted);
        }
    }
    return "";
}

std::string Driver::ExpectProcess(const Words& w) {
    std::string alias;
    unsigned long holdMs = 0;
    for (size_t i = 2; i < w.size(); ++i) {
        if (!ParseNumber(w[i], holdMs)) alias = w[i];
    }
    if (w.size() > 4) return "usage: expect " + w[1] + " [PROC] [MS]";
    if (alias.empty()) alias = "setup";
    const auto found = processes_.find(alias);
    if (found == processes_.end()) return "no process named " + alias + " (launch it first)";
    const Process& process = found->second;
    if (w[1] == "ended") {
        if (::WaitForSingleObject(process.handle, timeoutMs_) == WAIT_OBJECT_0) return "";
        return "the process " + alias + " still runs after " + std::to_string(timeoutMs_) + " ms";
    }
    if (::WaitForSingleObject(process.handle, holdMs) == WAIT_TIMEOUT) return "";
    DWORD code = 0;
    ::GetExitCodeProcess(process.handle, &code);
    return "the process " + alias + " has ended (exit code " + std::to_string(code) + ")";
}

std::string Driver::ExpectRegistry(const Words& w) {
    HKEY root = nullptr;
    std::wstring subKey;
    const bool present = w[1] == "reg";
    if ((present && w.size() != 5) || (!present && w.size() != 3 && w.size() != 4) ||
        !SplitRegistryPath(w[2], root, subKey)) {
        return present ? "usage: expect reg \"HKCU\\KEY\" \"VALUE\" \"DATA\""
                       : "usage: expect noreg \"HKCU\\KEY\" [\"VALUE\"]";
    }
    std::string seen;
    auto read = [&]() -> bool {  // true when the key (and the value, if named) exists
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            seen = "(no key)";
            return false;
        }
        if (w.size() == 3) {
            ::RegCloseKey(key);
            seen = "(key exists)";
            return true;
        }
        const std::wstring name = Widen(w[3]);
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
        std::vector<BYTE> data(size + sizeof(wchar_t), 0);
        if (status == ERROR_SUCCESS) {
            status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        }
        ::RegCloseKey(key);
        if (status != ERROR_SUCCESS) {
            seen = "(no value)";
            return false;
        }
        if (type == REG_DWORD && size == sizeof(DWORD)) {
            DWORD number = 0;
            memcpy(&number, data.data(), sizeof(number));
            seen = std::to_string(number);
        } else {
            seen = Narrow(reinterpret_cast<const wchar_t*>(data.data()));
        }
        return true;
    };
    if (present) {
        if (Poll([&] { return read() && seen == w[4]; })) return "";
        return "the value is " + (seen.front() == '(' ? seen : Quote(seen)) + ", expected " +
               Quote(w[4]);
    }
    if (Poll([&] { return !read(); })) return "";
    return "it still exists: " + (seen.front() == '(' ? seen : Quote(seen));
}

std::string Driver::ExpectFile(const Words& w) {
    const bool present = w[1] == "file";
    const bool contains = present && w.size() == 5 && w[3] == "contains";
    if (!(w.size() == 3 || contains)) {
        return present ? "usage: expect file \"PATH\" [contains \"TEXT\"]"
                       : "usage: expect nofile \"PATH\"";
    }
    const std::wstring path = Widen(w[2]);
    if (!present) {
        if (Poll([&] { return !Exists(path); })) return "";
        return "the file still exists";
    }
    if (!Poll([&] { return Exists(path); })) {
        return "no such file after " + std::to_string(timeoutMs_) + " ms";
    }
    if (!contains) return "";
    const std::string wanted = Unescape(w[4]);
    std::string bytes;
    if (Poll([&] { return ReadBytes(path, bytes) && bytes.find(wanted) != std::string::npos; })) {
        return "";
    }
    return "the file does not contain " + Quote(wanted) + "; it holds " + Quote(bytes);
}

std::string Driver::ExpectPixel(const Words& w) {
    int x = 0;
    int y = 0;
    unsigned long wanted = 0;
    if (w.size() != 6 || !ParseInt(w[3], x) || !ParseInt(w[4], y) || w[5].size() != 6 ||
        !ParseNumber("0x" + w[5], wanted)) {
        return "usage: expect pixel NAME X Y RRGGBB";
    }
    std::string error;
    HWND window = NamedWindow(w[2], error);
    if (window == nullptr) return error;
    unsigned long seen = 0;
    bool read = false;
    if (Poll([&] {
            read = ClientPixel(window, x, y, seen);
            return read && seen == wanted;
        })) {
        return "";
    }
    if (!read) return "cannot read the pixel";
    return "pixel (" + w[3] + ", " + w[4] + ") is " + Hex6(seen) + ", expected " + w[5];
}

std::string Driver::ExpectColour(const Words& w) {
    unsigned long wanted = 0;
    if (w.size() != 5 || w[4].size() != 6 || !ParseNumber("0x" + w[4], wanted)) {
        return "usage: expect colour NAME ID RRGGBB";
    }
    std::string error;
    HWND control = NamedControl(w[2], w[3], error);
    if (control == nullptr) return error;
    if (Poll([&] { return ControlShowsColour(control, wanted); })) return "";
    return "no pixel of control " + w[3] + " is " + w[4];
}

std::string Driver::ExpectLink(const Words& w) {
    if (w.size() != 4) return "usage: expect link \"PATH\" \"TARGET\"";
    std::wstring target;
    std::string error;
    if (!Poll([&] { return ReadShellLink(Widen(w[2]), target, error); })) return error;
    if (Narrow(target) == w[3]) return "";
    return "the link leads to " + Quote(Narrow(target)) + ", expected " + Quote(w[3]);
}

}  // namespace e2e
