#include "sim/SimulatedOs.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <stdexcept>
#include <unordered_map>

#include "core/Text.h"

namespace setup {

namespace {

constexpr uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_DIRECTORY = 267;
constexpr uint32_t ERROR_ENVVAR_NOT_FOUND = 203;
constexpr uint32_t ERROR_NOT_OWNER = 288;
// Attribute bits SetFileAttributes accepts; the others are ignored.
constexpr uint32_t SETTABLE_ATTRIBUTES = 0x01 | 0x02 | 0x04 | 0x20 | 0x80 | 0x100 | 0x1000 | 0x2000;

int32_t HresultFromWin32(uint32_t error) {
    return static_cast<int32_t>(0x80070000u | (error & 0xFFFF));
}

// A set-up call that names no place the machine can hold: the caller's
// mistake, never a result of an Os call.
[[noreturn]] void SetupError(const std::string& what) {
    throw std::invalid_argument("SimulatedOs: " + what);
}

// The file system's uppercase table of the machine's text rules. Every
// simulated machine of a process runs on the one system it runs on, so the
// table is the process's.
std::atomic<const char16_t*> g_upper{nullptr};

char16_t Upper(char16_t unit) {
    return g_upper.load(std::memory_order_relaxed)[unit];
}

std::u16string Fold16(std::string_view text) {
    std::u16string out = Utf8ToUtf16(text);
    for (char16_t& c : out) c = Upper(c);
    return out;
}

std::string Fold(std::string_view text) {
    return Utf16ToUtf8(Fold16(text));
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The UTF-16 units of a text, uppercase, one after the other: what Fold16
// gives, without making it.
class FoldedUnits {
public:
    explicit FoldedUnits(std::string_view text) : text_(text) {}
    bool Next(char16_t& unit) {
        if (low_ != 0) {
            unit = low_;
            low_ = 0;
            return true;
        }
        if (at_ >= text_.size()) return false;
        const char32_t cp = DecodeUtf8(text_, at_);
        if (cp >= 0x10000) {
            unit = Upper(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            low_ = Upper(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            unit = Upper(static_cast<char16_t>(cp));
        }
        return true;
    }

private:
    std::string_view text_;
    size_t at_ = 0;
    char16_t low_ = 0;  // a low surrogate still to give
};

bool SameName(std::string_view a, std::string_view b) {
    // The table keeps ASCII and the rest apart, so most names, all ASCII,
    // need no conversion.
    if (IsAscii(a) && IsAscii(b)) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : +c; };
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [&](char x, char y) { return upper(x) == upper(y); });
    }
    FoldedUnits x(a), y(b);
    for (char16_t u = 0, v = 0;;) {
        const bool more = x.Next(u);
        if (more != y.Next(v)) return false;
        if (!more) return true;
        if (u != v) return false;
    }
}

// Hash and equality of names by their uppercase: ASCII names (nearly all)
// without a conversion. The table keeps ASCII and the rest apart, so an ASCII
// name equals only ASCII names and the two hashes need not agree.
struct NameHash {
    size_t operator()(const std::string& name) const {
        uint64_t hash = 14695981039346656037ull;
        const auto mix = [&hash](uint32_t unit) {
            hash ^= unit;
            hash *= 1099511628211ull;
        };
        if (IsAscii(name)) {
            for (const char c : name) mix(static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c));
        } else {
            FoldedUnits units(name);
            for (char16_t unit = 0; units.Next(unit);) mix(unit);
        }
        return static_cast<size_t>(hash);
    }
};
struct NameEqual {
    bool operator()(const std::string& a, const std::string& b) const { return SameName(a, b); }
};

// The entries of a folder or key, in the order they were made, each found by
// its name in constant time, so a folder of a hundred thousand files is
// filled and emptied in linear time.
template <typename T>
class Entries {
public:
    T* Named(const std::string& name) const {
        if (!store_) return nullptr;
        const auto it = store_->index.find(name);
        return it == store_->index.end() ? nullptr : it->second->get();
    }
    T* Add(std::unique_ptr<T> entry) {
        if (!store_) store_ = std::make_unique<Store>();
        T* added = entry.get();
        store_->list.push_back(std::move(entry));
        store_->index[added->name] = std::prev(store_->list.end());
        return added;
    }
    void Erase(const T* entry) {
        if (!store_) return;
        const auto it = store_->index.find(entry->name);
        if (it == store_->index.end() || it->second->get() != entry) return;
        store_->list.erase(it->second);
        store_->index.erase(it);
    }
    bool empty() const { return !store_ || store_->list.empty(); }
    size_t size() const { return store_ ? store_->list.size() : 0; }
    auto begin() const { return store_ ? store_->list.cbegin() : None().cbegin(); }
    auto end() const { return store_ ? store_->list.cend() : None().cend(); }

private:
    using List = std::list<std::unique_ptr<T>>;
    // Made with the first entry: a file has none.
    struct Store {
        List list;
        std::unordered_map<std::string, typename List::iterator, NameHash, NameEqual> index;
    };
    static const List& None() {
        static const List none;
        return none;
    }
    std::unique_ptr<Store> store_;
};

// '*' any run; '?' one UTF-16 unit other than '.', or none at a '.' or at
// the end of the name; both already folded.
bool Glob(const std::u16string& p, const std::u16string& n) {
    size_t pi = 0, ni = 0, starP = std::u16string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == u'?' && n[ni] == u'.') {
            ++pi;
        } else if (pi < p.size() && (p[pi] == u'?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == u'*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::u16string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && (p[pi] == u'*' || p[pi] == u'?')) ++pi;
    return pi == p.size();
}

// FindFirstFile's matching: a trailing ".*" also matches names without an
// extension ("*.*" matches every name), a trailing "." matches names without
// a dot.
bool WildcardMatch(const std::string& pattern, const std::string& name) {
    const std::u16string p = Fold16(pattern);
    const std::u16string n = Fold16(name);
    if (Glob(p, n)) return true;
    if (p.size() >= 2 && p.compare(p.size() - 2, 2, u".*") == 0) {
        if (Glob(p.substr(0, p.size() - 2), n)) return true;
    }
    if (p.size() >= 2 && p.back() == u'.' && n.find(u'.') == std::u16string::npos) {
        return Glob(p.substr(0, p.size() - 1), n);
    }
    return false;
}

bool StartsWithDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// A name Windows accepts: no control character, none of <>:"|?* and no "/".
bool ValidName(std::string_view name) {
    static const auto forbidden = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 0x20; ++c) table[c] = true;
        for (const char c : std::string_view("<>:\"|?*/")) table[static_cast<unsigned char>(c)] = true;
        return table;
    }();
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return forbidden[static_cast<unsigned char>(c)]; });
}

bool HasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

// The non-empty names between backslashes.
std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The bytes of a shortcut file: every field the link was saved with, so a
// snapshot of file contents sees a changed link. The link itself is kept
// beside them in the file's node.
std::string LinkContent(const ShellLinkData& link) {
    std::string out = "FakeShellLink\ntarget=" + link.target + "\n";
    if (link.description) out += "description=" + *link.description + "\n";
    if (link.arguments) out += "arguments=" + *link.arguments + "\n";
    if (link.workingDirectory) out += "workingDirectory=" + *link.workingDirectory + "\n";
    if (link.iconFile) out += "iconFile=" + *link.iconFile + "\n";
    return out + "iconIndex=" + std::to_string(link.iconIndex) +
           "\nshowCommand=" + std::to_string(link.showCommand) + "\n";
}

bool IsTrailByte(uint8_t b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

}  // namespace

// --- internal structures ---

struct SimulatedOs::Node {
    Node(std::string nodeName, bool isFolder, uint32_t attrs, Node* parentNode)
        : name(std::move(nodeName)), folder(isFolder), attributes(attrs), parent(parentNode) {}
    std::string name;
    bool folder = false;
    uint32_t attributes = 0;
    std::string content;
    std::optional<uint64_t> size;
    Node* parent = nullptr;
    Entries<Node> children;
    std::string linkTarget;  // a junction or symbolic link: the absolute path it points to
    std::unique_ptr<ShellLinkData> shortcut;  // saved by SaveShellLink; dropped when rewritten
    uint32_t volumeSerial = 0;              // the drive's
    uint64_t index = 0;                     // unique on the drive, kept for the node's life
    uint64_t indexesGiven = 0;              // a drive root: the last index it gave out

    Node* Child(const std::string& childName) const { return children.Named(childName); }
    Node* AddChild(const std::string& childName, bool isFolder, uint32_t attrs) {
        Node* child = children.Add(std::make_unique<Node>(childName, isFolder, attrs, this));
        Node* root = this;
        while (root->parent) root = root->parent;
        child->volumeSerial = root->volumeSerial;
        child->index = ++root->indexesGiven;
        return child;
    }
    uint64_t Size() const { return folder ? 0 : size.value_or(content.size()); }
};

struct SimulatedOs::Key {
    std::string name;
    Entries<Key> subkeys;
    std::vector<std::pair<std::string, RegValue>> values;

    Key* Sub(const std::string& subName) const { return subkeys.Named(subName); }
    RegValue* Value(std::string_view valueName) {
        for (auto& value : values) {
            if (SameName(value.first, valueName)) return &value.second;
        }
        return nullptr;
    }
    void Set(const std::string& valueName, RegValue value) {
        if (RegValue* existing = Value(valueName)) {
            *existing = std::move(value);
        } else {
            values.emplace_back(valueName, std::move(value));
        }
    }
    // The key at `parts` below this one; with `created` given, missing keys
    // are made (and it is set when one was).
    Key* Walk(const std::vector<std::string>& parts, bool* created = nullptr) {
        Key* key = this;
        for (const std::string& part : parts) {
            Key* next = key->Sub(part);
            if (!next && !created) return nullptr;
            if (!next) {
                auto made = std::make_unique<Key>();
                made->name = part;
                next = key->subkeys.Add(std::move(made));
                *created = true;
            }
            key = next;
        }
        return key;
    }
};

// An absolute path: drive letter (as written), components.
struct SimulatedOs::Path {
    std::string drive;  // "C:" as the caller wrote it
    std::vector<std::string> parts;
    bool longForm = false;  // written as "\\?\C:\...", and shown so
    char Letter() const { return static_cast<char>(drive[0] & ~0x20); }
};

struct SimulatedOs::Lookup {
    bool parsed = false;
    Path path;
    Node* node = nullptr;    // the path's node, when it exists
    Node* parent = nullptr;  // the folder that holds (or would hold) it
    uint32_t error = 0;      // why node is null: 2, 3 or 123
};

class SimulatedOs::Sink : public TextSink {
public:
    Sink(SimulatedOs& os, std::string path) : m_os(os), m_path(std::move(path)) {}
    void Write(std::string_view text) override {
        Node* node = m_os.FileNode(m_path);
        if (!node) return;
        node->content.append(text.data(), text.size());
        node->size.reset();
    }

private:
    SimulatedOs& m_os;
    std::string m_path;
};

// --- construction ---

SimulatedOs::SimulatedOs(const SimulatedText& text) : m_text(text) {
    g_upper.store(text.UpperTable().data(), std::memory_order_relaxed);
    AddDrive('C');
    AddFolder(m_systemDirectory);
    for (RegKey root : {HKEY_CLASSES_ROOT_, HKEY_CURRENT_USER_, HKEY_LOCAL_MACHINE_, HKEY_USERS_}) {
        m_roots[root] = std::make_unique<Key>();
    }
    AddKey(HKEY_CURRENT_USER_, "Software");
    AddKey(HKEY_LOCAL_MACHINE_, "SOFTWARE");
    SetEnv("SystemRoot", "C:\\Windows");
    SetEnv("windir", "C:\\Windows");
    SetEnv("SystemDrive", "C:");
    SetEnv("USERPROFILE", "C:\\Users\\user");
    SetEnv("ProgramFiles", "C:\\Program Files");
}

SimulatedOs::~SimulatedOs() = default;

// --- failures ---

std::optional<uint32_t> SimulatedOs::TakeFailure(const char*, const std::string&,
                                                 const std::string&) {
    return std::nullopt;
}

// --- paths ---

bool SimulatedOs::Parse(const std::string& raw, Path& out) const {
    // The long form names exactly what it spells: "/" is no separator, "."
    // and ".." are no steps, a name keeps its trailing dots and blanks.
    if (raw.compare(0, 4, "\\\\?\\") == 0) {
        const std::string_view rest = std::string_view(raw).substr(4);
        if (!StartsWithDrive(rest) || (rest.size() > 2 && rest[2] != '\\')) return false;
        Path path;
        path.parts.reserve(12);
        path.longForm = true;
        path.drive = std::string(rest.substr(0, 2));
        for (size_t start = 3; start < rest.size();) {
            const size_t end = std::min(rest.find('\\', start), rest.size());
            const std::string_view name = rest.substr(start, end - start);
            if (name.empty() || name == "." || name == ".." || !ValidName(name)) return false;
            path.parts.emplace_back(name);
            start = end + 1;
        }
        out = std::move(path);
        return true;
    }

    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (raw.empty() || (raw.size() >= 2 && separator(raw[0]) && separator(raw[1]))) return false;

    Path base;
    base.parts.reserve(12);
    size_t from = 0;
    if (StartsWithDrive(raw)) {
        base.drive = raw.substr(0, 2);
        from = 2;
        // "D:name" is relative to the current folder only on the current drive.
        if (raw.size() == 2 || !separator(raw[2])) {
            Path current;
            if (Parse(m_currentDirectory, current) && current.Letter() == base.Letter()) {
                base.parts = current.parts;
            }
        }
    } else {
        if (!Parse(m_currentDirectory, base)) return false;
        if (separator(raw[0])) base.parts.clear();
    }

    for (size_t start = from; start < raw.size();) {
        size_t end = start;
        while (end < raw.size() && !separator(raw[end])) ++end;
        std::string part = raw.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!base.parts.empty()) base.parts.pop_back();
            continue;
        }
        // Windows drops trailing dots and spaces of a component.
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (part.empty()) continue;
        if (!ValidName(part)) return false;
        base.parts.push_back(std::move(part));
    }
    out = std::move(base);
    return true;
}

std::string SimulatedOs::Display(const Path& path) const {
    std::string out = (path.longForm ? "\\\\?\\" : "") + path.drive + "\\";
    for (size_t i = 0; i < path.parts.size(); ++i) {
        if (i > 0) out += '\\';
        out += path.parts[i];
    }
    return out;
}

std::string SimulatedOs::Canonical(const std::string& path) const {
    Path parsed;
    if (!Parse(path, parsed)) return Fold(path);
    parsed.longForm = false;  // "\\?\C:\x" is "C:\x"
    return Fold(Display(parsed));
}

SimulatedOs::Lookup SimulatedOs::Find(const std::string& path) const {
    Lookup result;
    if (!Parse(path, result.path)) {
        result.error = win::ERROR_INVALID_NAME_;
        return result;
    }
    result.parsed = true;
    auto drive = m_drives.find(result.path.Letter());
    if (drive == m_drives.end()) {
        result.error = win::ERROR_PATH_NOT_FOUND_;
        return result;
    }
    Node* folder = drive->second.get();
    const auto& parts = result.path.parts;
    if (parts.empty()) {
        result.node = folder;
        return result;
    }
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        Node* next = Resolve(folder->Child(parts[i]));
        if (!next || !next->folder) {
            result.error = win::ERROR_PATH_NOT_FOUND_;
            return result;
        }
        folder = next;
    }
    result.parent = folder;
    result.node = folder->Child(parts.back());
    if (!result.node) result.error = win::ERROR_FILE_NOT_FOUND_;
    return result;
}

// A link met on the way is walked through, as Windows walks a junction or a
// symbolic link; a missing target (or a loop) ends the walk.
SimulatedOs::Node* SimulatedOs::Resolve(Node* node, int depth) const {
    if (!node || node->linkTarget.empty()) return node;
    if (depth > 8) return nullptr;
    return Resolve(Find(node->linkTarget).node, depth + 1);
}

SimulatedOs::Node* SimulatedOs::FileNode(const std::string& path) const {
    Lookup found = Find(path);
    return (found.node && !found.node->folder) ? found.node : nullptr;
}

// The folder at `path`, or with `parentOf` the one that holds it, made with
// every missing folder on the way; `parsed` gets the whole path.
SimulatedOs::Node* SimulatedOs::EnsureFolder(const std::string& path, Path& parsed, bool parentOf) {
    if (!Parse(path, parsed) || (parentOf && parsed.parts.empty())) SetupError("bad " + path);
    AddDrive(parsed.Letter());
    Node* folder = m_drives[parsed.Letter()].get();
    for (size_t i = 0; i + parentOf < parsed.parts.size(); ++i) {
        Node* next = folder->Child(parsed.parts[i]);
        if (!next) next = folder->AddChild(parsed.parts[i], true, win::FILE_ATTRIBUTE_DIRECTORY_);
        next = Resolve(next);
        if (!next || !next->folder) SetupError("no folder on the way to " + path);
        folder = next;
    }
    return folder;
}

// --- files and folders ---

bool SimulatedOs::CreateDirectory(const std::string& path) {
    if (auto error = TakeFailure("CreateDirectory", path)) return Fail(*error);
    Lookup found = Find(path);
    if (found.node) return Fail(win::ERROR_ALREADY_EXISTS_);
    if (!found.parent) return Fail(found.error);
    found.parent->AddChild(found.path.parts.back(), true, win::FILE_ATTRIBUTE_DIRECTORY_);
    return true;
}

bool SimulatedOs::RemoveDirectory(const std::string& path) {
    return Remove("RemoveDirectory", path, true);
}

bool SimulatedOs::DeleteFile(const std::string& path) {
    return Remove("DeleteFile", path, false);
}

// RemoveDirectory (`folder`) or DeleteFile: the entry must be of that kind
// (a root is no deletable folder) and not read-only.
bool SimulatedOs::Remove(const char* method, const std::string& path, bool folder) {
    if (auto error = TakeFailure(method, path)) return Fail(*error);
    Lookup found = Find(path);
    if (!found.node) return Fail(found.error);
    if (found.node->folder != folder)
        return Fail(folder ? ERROR_DIRECTORY : win::ERROR_ACCESS_DENIED_);
    if (!found.parent) return Fail(win::ERROR_ACCESS_DENIED_);
    if (!found.node->children.empty()) return Fail(win::ERROR_DIR_NOT_EMPTY_);
    if (found.node->attributes & win::FILE_ATTRIBUTE_READONLY_) {
        return Fail(win::ERROR_ACCESS_DENIED_);
    }
    // The process's current folder is held open.
    if (folder && Canonical(m_currentDirectory) == Canonical(path)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    found.parent->children.Erase(found.node);
    return true;
}

bool SimulatedOs::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (auto error = TakeFailure("CopyFile", from, to)) return Fail(*error);
    Lookup source = Find(from);
    if (!source.node) return Fail(source.error);
    if (source.node->folder) return Fail(win::ERROR_ACCESS_DENIED_);
    Lookup target = Find(to);
    if (target.node == source.node) return Fail(ERROR_SHARING_VIOLATION);
    if (target.node && !target.node->folder && failIfExists) return Fail(win::ERROR_FILE_EXISTS_);
    if (uint32_t error = Rewrite(to, target)) return Fail(error);
    // The copy carries the source's attributes, with the archive bit.
    Node* node = target.node;
    node->attributes =
        (source.node->attributes & ~win::FILE_ATTRIBUTE_NORMAL_) | win::FILE_ATTRIBUTE_ARCHIVE_;
    node->content = source.node->content;
    node->shortcut = source.node->shortcut
                         ? std::make_unique<ShellLinkData>(*source.node->shortcut)
                         : nullptr;
    node->size = source.node->size;
    return true;
}

bool SimulatedOs::CopyFileWithProgress(const std::string& from, const std::string& to, bool failIfExists,
                                  const std::function<void()>& progress) {
    if (!CopyFile(from, to, failIfExists)) return false;
    if (auto error = TakeFailure("CopyFileWithProgress", from, to)) {
        // A chunk failed: the half-written target is deleted.
        Lookup written = Find(to);
        written.parent->children.Erase(written.node);
        return Fail(*error);
    }
    // One report per started mebibyte, as a chunked copy gives them.
    const Node* copied = FileNode(to);
    const uint64_t size = copied ? copied->Size() : 0;
    for (uint64_t done = 0; done == 0 || done < size; done += 1u << 20) {
        if (progress) progress();
    }
    return true;
}

uint32_t SimulatedOs::GetFileAttributes(const std::string& path) {
    if (auto error = TakeFailure("GetFileAttributes", path)) {
        return Fail(*error, win::INVALID_FILE_ATTRIBUTES_);
    }
    Lookup found = Find(path);
    return found.node ? found.node->attributes : Fail(found.error, win::INVALID_FILE_ATTRIBUTES_);
}

bool SimulatedOs::SetFileAttributes(const std::string& path, uint32_t attributes) {
    if (auto error = TakeFailure("SetFileAttributes", path)) return Fail(*error);
    Lookup found = Find(path);
    if (!found.node) return Fail(found.error);
    uint32_t value = attributes & SETTABLE_ATTRIBUTES & ~win::FILE_ATTRIBUTE_NORMAL_;
    value |= found.node->attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_;
    if (found.node->folder) {
        value |= win::FILE_ATTRIBUTE_DIRECTORY_;
    } else if (value == 0) {
        value = win::FILE_ATTRIBUTE_NORMAL_;
    }
    found.node->attributes = value;
    return true;
}

bool SimulatedOs::ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    if (auto error = TakeFailure("ReadFile", path)) return Fail(*error);
    Lookup found = Find(path);
    if (!found.node) return Fail(found.error);
    if (found.node->folder) return Fail(win::ERROR_ACCESS_DENIED_);
    bytes = found.node->content;
    return true;
}

// The file at `path` made ready to be written anew: an existing one emptied
// (not a folder, not read-only) or a new one; else the Win32 error.
uint32_t SimulatedOs::Rewrite(const std::string& path, Lookup& found) {
    found = Find(path);
    if (!found.node && !found.parent) return found.error;
    if (!found.node) {
        found.node =
            found.parent->AddChild(found.path.parts.back(), false, win::FILE_ATTRIBUTE_ARCHIVE_);
    } else if (found.node->folder || (found.node->attributes & win::FILE_ATTRIBUTE_READONLY_)) {
        return win::ERROR_ACCESS_DENIED_;
    }
    found.node->content.clear();
    found.node->size.reset();
    found.node->shortcut.reset();
    return 0;
}

std::unique_ptr<TextSink> SimulatedOs::CreateTextFile(const std::string& path) {
    std::unique_ptr<TextSink> none;
    if (auto error = TakeFailure("CreateTextFile", path)) return Fail(*error, std::move(none));
    Lookup found;
    if (uint32_t error = Rewrite(path, found)) return Fail(error, std::move(none));
    return std::make_unique<Sink>(*this, Display(found.path));
}

// The node a query handle would be opened on: every link followed. 0, or
// the error the open fails with.
uint32_t SimulatedOs::OpenToQuery(const char* method, const std::string& path, Node*& node) {
    if (auto error = TakeFailure(method, path)) return *error;
    const Lookup found = Find(path);
    if (!found.node) return found.error;
    node = Resolve(found.node);
    return node ? 0 : win::ERROR_FILE_NOT_FOUND_;
}

bool SimulatedOs::GetFileIdentity(const std::string& path, FileIdentity& out) {
    Node* node = nullptr;
    if (uint32_t error = OpenToQuery("GetFileIdentity", path, node)) return Fail(error);
    out.volumeSerial = node->volumeSerial;
    out.fileIndex = node->index;
    return true;
}

bool SimulatedOs::GetFinalPathName(const std::string& path, std::string& out) {
    Node* node = nullptr;
    if (uint32_t error = OpenToQuery("GetFinalPathName", path, node)) return Fail(error);
    Path stored;
    for (; node->parent; node = node->parent) stored.parts.insert(stored.parts.begin(), node->name);
    for (const auto& [letter, root] : m_drives) {
        if (root.get() == node) stored.drive = std::string(1, letter) + ":";
    }
    out = "\\\\?\\" + Display(stored);
    return true;
}

bool SimulatedOs::SetCurrentDirectory(const std::string& path) {
    if (auto error = TakeFailure("SetCurrentDirectory", path)) return Fail(*error);
    Lookup found = Find(path);
    if (!found.node) return Fail(found.error);
    if (!found.node->folder) return Fail(ERROR_DIRECTORY);
    m_currentDirectory = Display(found.path);
    return true;
}

// --- find ---

bool SimulatedOs::FindFiles(const std::string& pattern, std::vector<FindData>& out) {
    out.clear();
    if (auto error = TakeFailure("FindFiles", pattern)) return Fail(*error);

    // The folder part ends after the last slash (npos + 1 is 0: none), or after a bare "D:".
    size_t cut = pattern.find_last_of("\\/") + 1;
    if (cut == 0 && pattern.size() >= 2 && pattern[1] == ':') cut = 2;
    const std::string name = pattern.substr(cut);
    Lookup folder = Find(cut ? pattern.substr(0, cut) : ".");
    folder.node = Resolve(folder.node);
    if (!folder.node || !folder.node->folder) return Fail(win::ERROR_PATH_NOT_FOUND_);
    if (name.empty()) return Fail(win::ERROR_FILE_NOT_FOUND_);

    std::string prefix = Display(folder.path);
    if (prefix.back() != '\\') prefix += '\\';
    auto add = [&out, &prefix](const std::string& entryName, const Node& node) {
        out.push_back(FindData{entryName, prefix + entryName, node.attributes, node.Size()});
    };

    if (!HasWildcard(name)) {
        Lookup found = Find(pattern);
        if (!found.node || !found.parent) {
            return Fail(found.parsed ? win::ERROR_FILE_NOT_FOUND_ : found.error);
        }
        found.path.parts.back() = found.node->name;
        out.push_back(FindData{found.node->name, Display(found.path), found.node->attributes,
                               found.node->Size()});
        return true;
    }

    const Node& dir = *folder.node;
    if (dir.parent) {
        if (WildcardMatch(name, ".")) add(".", dir);
        if (WildcardMatch(name, "..")) add("..", *dir.parent);
    }
    for (const auto& child : dir.children) {
        if (WildcardMatch(name, child->name)) add(child->name, *child);
    }
    if (out.empty()) return Fail(win::ERROR_FILE_NOT_FOUND_);
    return true;
}

// --- free space ---

bool SimulatedOs::GetDiskFreeSpaceEx(const std::string& path, uint64_t& freeBytesAvailable,
                                uint64_t& totalBytes) {
    if (auto error = TakeFailure("GetDiskFreeSpaceEx", path)) return Fail(*error);
    if (!m_hasFreeSpaceEx) return Fail(ERROR_CALL_NOT_IMPLEMENTED);
    Lookup found = Find(path);
    if (!found.node) return Fail(found.parsed ? win::ERROR_PATH_NOT_FOUND_ : found.error);
    if (!found.node->folder) return Fail(ERROR_DIRECTORY);
    const DiskSpace& space = m_space[found.path.Letter()];
    freeBytesAvailable = space.freeBytesAvailable;
    totalBytes = space.totalBytes;
    return true;
}

bool SimulatedOs::GetDiskFreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                              uint32_t& bytesPerSector, uint32_t& freeClusters,
                              uint32_t& totalClusters) {
    if (auto error = TakeFailure("GetDiskFreeSpace", root)) return Fail(*error);
    char letter = 0;
    if (root.empty() || root == "\\" || root == "/") {
        letter = static_cast<char>(m_currentDirectory[0] & ~0x20);
    } else {
        // A folder below the root answers for its drive.
        Lookup found = Find(root);
        if (!found.parsed) return Fail(found.error);
        letter = found.path.Letter();
        if (!found.node || !found.node->folder) return Fail(win::ERROR_PATH_NOT_FOUND_);
    }
    const DiskSpace& space = m_space[letter];
    sectorsPerCluster = space.sectorsPerCluster;
    bytesPerSector = space.bytesPerSector;
    freeClusters = space.freeClusters;
    totalClusters = space.totalClusters;
    return true;
}

// --- registry ---

SimulatedOs::Key* SimulatedOs::RootKey(RegKey root) const {
    auto it = m_roots.find(root);
    return it == m_roots.end() ? nullptr : it->second.get();
}

SimulatedOs::Key* SimulatedOs::KeyAt(RegKey root, const std::string& keyPath) const {
    Key* key = RootKey(root);
    return key ? key->Walk(Split(keyPath)) : nullptr;
}

// The root and key path that a handle (predefined or open) and a subkey name
// lead to.
SimulatedOs::OpenKey SimulatedOs::FullPath(RegKey handle, const std::string& subKey, uint32_t access) const {
    OpenKey full{handle, {}, access};
    if (auto open = m_openKeys.find(handle); open != m_openKeys.end()) {
        full.root = open->second.root;
        full.path = open->second.path;
    }
    for (const std::string& part : Split(subKey)) full.path.push_back(part);
    return full;
}

long SimulatedOs::KeyOf(RegKey handle, uint32_t access, Key*& key) const {
    key = RootKey(handle);
    if (key) return 0;
    auto open = m_openKeys.find(handle);
    if (open == m_openKeys.end()) return static_cast<long>(win::ERROR_INVALID_HANDLE_);
    key = RootKey(open->second.root)->Walk(open->second.path);
    if (!key) return static_cast<long>(win::ERROR_KEY_DELETED_);
    if (access && !(open->second.access & access)) {
        key = nullptr;
        return static_cast<long>(win::ERROR_ACCESS_DENIED_);
    }
    return 0;
}

long SimulatedOs::NewHandle(RegKey root, const std::string& subKey, uint32_t access, RegKey& out) {
    const OpenKey open = FullPath(root, subKey, access);
    out = m_nextKey;
    m_nextKey += 4;
    m_openKeys[out] = open;
    return 0;
}

long SimulatedOs::RegOpenKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out) {
    if (auto error = TakeFailure("RegOpenKeyEx")) return static_cast<long>(*error);
    Key* base = nullptr;
    if (long error = KeyOf(root, 0, base)) return error;
    if (!base->Walk(Split(subKey))) return static_cast<long>(win::ERROR_FILE_NOT_FOUND_);
    return NewHandle(root, subKey, access, out);
}

long SimulatedOs::RegQueryValueEx(RegKey key, const std::string& valueName, uint32_t& type,
                             std::vector<uint8_t>& data, uint32_t maxBytes) {
    data.clear();
    if (auto error = TakeFailure("RegQueryValueEx")) return static_cast<long>(*error);
    Key* found = nullptr;
    if (long error = KeyOf(key, win::KEY_QUERY_VALUE_, found)) return error;
    const RegValue* value = found->Value(valueName);
    if (!value) return static_cast<long>(win::ERROR_FILE_NOT_FOUND_);
    type = value->type;
    if (value->data.size() > maxBytes) return static_cast<long>(win::ERROR_MORE_DATA_);
    data = value->data;
    return 0;
}

long SimulatedOs::RegSetValueEx(RegKey key, const std::string& valueName, uint32_t type,
                           const uint8_t* data, uint32_t size) {
    if (auto error = TakeFailure("RegSetValueEx")) return static_cast<long>(*error);
    Key* found = nullptr;
    if (long error = KeyOf(key, win::KEY_SET_VALUE_, found)) return error;
    found->Set(valueName, RegValue{type, std::vector<uint8_t>(data, data + (data ? size : 0))});
    return 0;
}

long SimulatedOs::RegCreateKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out,
                            uint32_t& disposition) {
    if (auto error = TakeFailure("RegCreateKeyEx")) return static_cast<long>(*error);
    Key* base = nullptr;
    if (long error = KeyOf(root, 0, base)) return error;
    bool created = false;
    base->Walk(Split(subKey), &created);
    disposition = created ? win::REG_CREATED_NEW_KEY_ : win::REG_OPENED_EXISTING_KEY_;
    return NewHandle(root, subKey, access, out);
}

long SimulatedOs::RegDeleteKey(RegKey root, const std::string& subKey) {
    if (auto error = TakeFailure("RegDeleteKey")) return static_cast<long>(*error);
    Key* base = nullptr;
    if (long error = KeyOf(root, 0, base)) return error;
    // The handle's own key for an empty subKey; a root cannot go.
    OpenKey full = FullPath(root, subKey, 0);
    if (full.path.empty()) return static_cast<long>(win::ERROR_ACCESS_DENIED_);
    const std::string name = full.path.back();
    full.path.pop_back();
    Key* parent = RootKey(full.root)->Walk(full.path);
    Key* victim = parent ? parent->Sub(name) : nullptr;
    if (!victim) return static_cast<long>(win::ERROR_FILE_NOT_FOUND_);
    // The NT family refuses a key with subkeys; the 9x family removes the tree.
    if (!victim->subkeys.empty() && m_version.platformId != win::VER_PLATFORM_WIN32_WINDOWS_) {
        return static_cast<long>(win::ERROR_ACCESS_DENIED_);
    }
    parent->subkeys.Erase(victim);
    return 0;
}

long SimulatedOs::RegQueryInfoKey(RegKey key, uint32_t& subKeys, uint32_t& values) {
    if (auto error = TakeFailure("RegQueryInfoKey")) return static_cast<long>(*error);
    Key* found = nullptr;
    if (long error = KeyOf(key, win::KEY_QUERY_VALUE_, found)) return error;
    subKeys = static_cast<uint32_t>(found->subkeys.size());
    values = static_cast<uint32_t>(found->values.size());
    return 0;
}

long SimulatedOs::RegCloseKey(RegKey key) {
    if (auto error = TakeFailure("RegCloseKey")) return static_cast<long>(*error);
    if (RootKey(key)) return 0;
    if (m_openKeys.erase(key) == 0) return static_cast<long>(win::ERROR_INVALID_HANDLE_);
    return 0;
}

// --- environment ---

bool SimulatedOs::ExpandEnvironmentStrings(const std::string& text, std::string& out) {
    if (auto error = TakeFailure("ExpandEnvironmentStrings")) return Fail(*error);
    std::string result;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] != '%') {
            result += text[pos++];
            continue;
        }
        const size_t close = text.find('%', pos + 1);
        if (close == std::string::npos) {
            result += text.substr(pos);
            break;
        }
        const std::string name = text.substr(pos + 1, close - pos - 1);
        auto var = name.empty() ? m_env.end() : m_env.find(Fold(name));
        // An unknown variable stays as written, percent signs included.
        result += var != m_env.end() ? var->second : text.substr(pos, close - pos + 1);
        pos = close + 1;
    }
    out = result;
    return true;
}

bool SimulatedOs::GetEnvironmentVariable(const std::string& name, std::string& out) {
    if (auto error = TakeFailure("GetEnvironmentVariable")) return Fail(*error);
    auto var = m_env.find(Fold(name));
    if (var == m_env.end()) return Fail(ERROR_ENVVAR_NOT_FOUND);
    out = var->second;
    return true;
}

// --- process ---

MutexHandle SimulatedOs::CreateMutex(const std::string& name) {
    if (auto error = TakeFailure("CreateMutex")) return Fail(*error, MutexHandle{0});
    const std::string folded = Fold(name);
    const bool exists =
        !folded.empty() && (m_heldElsewhere.count(folded) != 0 ||
                            std::any_of(m_mutexes.begin(), m_mutexes.end(),
                                        [&](auto& m) { return m.second == folded; }));
    const MutexHandle handle = m_nextMutex;
    m_nextMutex += 4;
    m_mutexes[handle] = folded;
    m_lastError = exists ? win::ERROR_ALREADY_EXISTS_ : 0;
    return handle;
}

bool SimulatedOs::ReleaseMutex(MutexHandle mutex) {
    if (auto error = TakeFailure("ReleaseMutex")) return Fail(*error);
    if (m_mutexes.count(mutex) == 0) return Fail(win::ERROR_INVALID_HANDLE_);
    // Created unowned and never waited on: this thread does not own it.
    return Fail(ERROR_NOT_OWNER);
}

bool SimulatedOs::StartDeletedOnExit(const std::string& path, const std::string& parameters,
                                const std::string&) {
    if (auto error = TakeFailure("StartDeletedOnExit", path)) return Fail(*error);
    if (!Exists(path)) return Fail(win::ERROR_FILE_NOT_FOUND_);
    startedDeletedOnExit.push_back(path + " " + parameters);
    DeleteFile(path);
    return true;
}

intptr_t SimulatedOs::ShellExecute(const std::string&, const std::string& file,
                                   const std::string&, const std::string&, int) {
    if (auto error = TakeFailure("ShellExecute", file)) return static_cast<intptr_t>(*error);
    return 42;  // started: nothing runs on this machine
}

// --- COM and shell links ---

int32_t SimulatedOs::CoInitialize() {
    if (auto error = TakeFailure("CoInitialize")) return static_cast<int32_t>(*error);
    return ++m_comInitCount == 1 ? win::S_OK_ : win::S_FALSE_;
}

void SimulatedOs::CoUninitialize() {
    if (m_comInitCount > 0) --m_comInitCount;
}

int32_t SimulatedOs::SaveShellLink(const std::string& linkPath, const ShellLinkData& link) {
    if (auto error = TakeFailure("SaveShellLink", linkPath)) return static_cast<int32_t>(*error);
    if (m_comInitCount == 0) return win::CO_E_NOTINITIALIZED_;
    Lookup found;
    if (uint32_t error = Rewrite(linkPath, found)) return HresultFromWin32(error);
    found.node->content = LinkContent(link);
    found.node->shortcut = std::make_unique<ShellLinkData>(link);
    return win::S_OK_;
}

int32_t SimulatedOs::LoadShellLinkTarget(const std::string& linkPath, std::string& target) {
    if (m_comInitCount == 0) return win::CO_E_NOTINITIALIZED_;
    Lookup found = Find(linkPath);
    if (!found.node) return HresultFromWin32(found.error);
    if (found.node->folder) return win::HRESULT_ACCESS_DENIED_;
    if (!found.node->shortcut) return win::E_FAIL_;
    target = found.node->shortcut->target;
    return win::S_OK_;
}

// --- text ---

std::string SimulatedOs::DecodeCp932(std::string_view bytes) {
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        char16_t unit = 0x30FB;  // the default character, for a lead byte without its trail
        if (b <= 0x80) {
            unit = b;
        } else if (b >= 0xA1 && b <= 0xDF) {
            unit = static_cast<char16_t>(0xFF61 + (b - 0xA1));
        } else if (b == 0xA0 || b >= 0xFD) {
            // Windows' table maps these single bytes to private-use characters.
            unit = static_cast<char16_t>(b == 0xA0 ? 0xF8F0 : 0xF8F1 + (b - 0xFD));
        } else if (i + 1 < bytes.size() && IsTrailByte(static_cast<uint8_t>(bytes[i + 1]))) {
            const char16_t pair = m_text.DoubleByte(b, static_cast<uint8_t>(bytes[++i]));
            if (pair != 0) unit = pair;
        }
        out += unit;
    }
    return Utf16ToUtf8(out);
}

int SimulatedOs::CompareStringOrdinal(const std::string& a, const std::string& b, bool ignoreCase) {
    const std::u16string x = ignoreCase ? Fold16(a) : Utf8ToUtf16(a);
    const std::u16string y = ignoreCase ? Fold16(b) : Utf8ToUtf16(b);
    const int order = x.compare(y);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// --- test set-up and inspection ---

void SimulatedOs::AddDrive(char letter) {
    const char upper = static_cast<char>(letter & ~0x20);
    if (m_drives.count(upper)) return;
    auto root = std::make_unique<Node>("", true, win::FILE_ATTRIBUTE_DIRECTORY_, nullptr);
    root->volumeSerial = 0x5E7A0000u | static_cast<uint8_t>(upper);
    root->index = ++root->indexesGiven;
    m_drives[upper] = std::move(root);
    m_space.emplace(upper, DiskSpace{});
}

void SimulatedOs::AddFolder(const std::string& path) {
    Path parsed;
    EnsureFolder(path, parsed, false);
}

void SimulatedOs::AddFile(const std::string& path, std::string_view content, uint32_t attributes) {
    AddSizedFile(path, content, std::nullopt, attributes);
}

void SimulatedOs::AddSizedFile(const std::string& path, std::string_view content,
                               std::optional<uint64_t> size, uint32_t attributes) {
    Path parsed;
    Node* folder = EnsureFolder(path, parsed, true);
    Node* node = folder->Child(parsed.parts.back());
    if (node && node->folder) SetupError("a folder is in the way of file " + path);
    if (!node) node = folder->AddChild(parsed.parts.back(), false, attributes);
    node->attributes = attributes & ~win::FILE_ATTRIBUTE_DIRECTORY_;
    node->content.assign(content.data(), content.size());
    node->shortcut.reset();
    node->size = size;
}

void SimulatedOs::AddLink(const std::string& path, const std::string& target) {
    const Node* to = Resolve(Find(target).node);
    Path parsed, targetPath;
    if (!to || Exists(path) || !Parse(target, targetPath)) {
        SetupError("bad link " + path + " -> " + target);
    }
    Node* folder = EnsureFolder(path, parsed, true);
    const uint32_t kind =
        to->folder ? win::FILE_ATTRIBUTE_DIRECTORY_ : win::FILE_ATTRIBUTE_ARCHIVE_;
    Node* link = folder->AddChild(parsed.parts.back(), to->folder,
                                  kind | win::FILE_ATTRIBUTE_REPARSE_POINT_);
    link->linkTarget = Display(targetPath);
}

void SimulatedOs::SetFileSize(const std::string& path, uint64_t size) {
    Node* node = FileNode(path);
    if (!node) SetupError("no file " + path);
    node->size = size;
}

bool SimulatedOs::Exists(const std::string& path) const {
    return Find(path).node != nullptr;
}

bool SimulatedOs::IsFolder(const std::string& path) const {
    const Node* node = Find(path).node;
    return node && node->folder;
}

std::string SimulatedOs::FileContent(const std::string& path) const {
    const Node* node = FileNode(path);
    return node ? node->content : std::string();
}

uint32_t SimulatedOs::Attributes(const std::string& path) const {
    const Node* node = Find(path).node;
    return node ? node->attributes : win::INVALID_FILE_ATTRIBUTES_;
}

std::vector<std::string> SimulatedOs::List(const std::string& folder) const {
    std::vector<std::string> names;
    const Node* node = Resolve(Find(folder).node);
    if (!node) return names;
    for (const auto& child : node->children) names.push_back(child->name);
    return names;
}

std::optional<ShellLinkData> SimulatedOs::LinkAt(const std::string& path) const {
    const Node* node = FileNode(path);
    if (!node || !node->shortcut) return std::nullopt;
    return *node->shortcut;
}

void SimulatedOs::AddKey(RegKey root, const std::string& keyPath) {
    Key* base = RootKey(root);
    if (!base) SetupError("not a predefined root");
    bool created = false;
    base->Walk(Split(keyPath), &created);
}

void SimulatedOs::SetValue(RegKey root, const std::string& keyPath, const std::string& name,
                      uint32_t type, std::vector<uint8_t> data) {
    AddKey(root, keyPath);
    KeyAt(root, keyPath)->Set(name, RegValue{type, std::move(data)});
}

std::optional<SimulatedOs::RegValue> SimulatedOs::ValueOf(RegKey root, const std::string& keyPath,
                                                const std::string& name) const {
    Key* key = KeyAt(root, keyPath);
    if (!key) return std::nullopt;
    const RegValue* value = key->Value(name);
    if (!value) return std::nullopt;
    return *value;
}

std::optional<std::string> SimulatedOs::StringOf(RegKey root, const std::string& keyPath,
                                            const std::string& name) const {
    auto value = ValueOf(root, keyPath, name);
    if (!value || (value->type != win::REG_SZ_ && value->type != win::REG_EXPAND_SZ_)) {
        return std::nullopt;
    }
    std::u16string wide;
    for (size_t i = 0; i + 1 < value->data.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8));
        if (c == 0) break;
        wide.push_back(c);
    }
    return Utf16ToUtf8(wide);
}

std::vector<std::string> SimulatedOs::SubKeys(RegKey root, const std::string& keyPath) const {
    std::vector<std::string> names;
    if (Key* key = KeyAt(root, keyPath)) {
        for (const auto& sub : key->subkeys) names.push_back(sub->name);
    }
    return names;
}

std::vector<std::string> SimulatedOs::ValueNames(RegKey root, const std::string& keyPath) const {
    std::vector<std::string> names;
    if (const Key* key = KeyAt(root, keyPath)) {
        for (const auto& value : key->values) names.push_back(value.first);
    }
    return names;
}

void SimulatedOs::SetEnv(const std::string& name, const std::string& value) {
    m_env[Fold(name)] = value;
}

void SimulatedOs::HoldMutexElsewhere(const std::string& name) {
    m_heldElsewhere.insert(Fold(name));
}

}  // namespace setup
