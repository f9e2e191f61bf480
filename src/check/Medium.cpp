#include "check/Medium.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <system_error>

#include "core/Text.h"

namespace fs = std::filesystem;

namespace setup {

namespace {

constexpr uint64_t kMaxReadBytes = 64ull << 20;

std::string Utf8Of(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool ValidUtf8(const std::string& text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

bool IsReservedDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// The characters no Windows name holds.
bool HasForbiddenCharacter(const std::string& name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 ||
               std::string_view("<>:\"|?*\\/").find(c) != std::string_view::npos;
    });
}

}  // namespace

bool ReadMediumFolder(const std::string& folder, const SimulatedText& text, Medium& out,
                      std::string& error) {
    std::error_code ec;
    const fs::path root = fs::u8path(folder);
    if (!fs::is_directory(root, ec)) {
        error = "no such folder: " + folder;
        return false;
    }
    out.folder = folder;
    fs::recursive_directory_iterator it(root, fs::directory_options::none, ec);
    if (ec) {
        error = "cannot read " + folder + ": " + ec.message();
        return false;
    }
    const fs::path canonicalRoot = fs::weakly_canonical(root, ec);
    // Each entry's path below the medium: what follows the root's own path
    // and its separator.
    const size_t rootLength = Utf8Of(root / "x").size() - 1;
    // What the listing gives, in a fixed order, so that every machine reports
    // the same. A name no Windows can hold is not looked at further: on
    // Windows itself a device name or a trailing dot reaches something else.
    struct Found {
        std::string relative, name, hostPath, linkTarget;
        bool refused = false, link = false, folder = false, linkOut = false, special = false;
        uint64_t size = 0;
    };
    std::vector<Found> found;
    std::string lastFolder = folder;  // the folder the listing was about to enter
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        Found f;
        f.hostPath = Utf8Of(entry.path());
        f.relative = f.hostPath.substr(std::min(rootLength, f.hostPath.size()));
        // "\" separates names only where the system says so; elsewhere it
        // is a character of a name, and no Windows name may hold it.
        if (fs::path::preferred_separator == '\\')
            std::replace(f.relative.begin(), f.relative.end(), '\\', '/');
        f.name = Utf8Of(entry.path().filename());
        f.refused = !ValidUtf8(f.name) || HasForbiddenCharacter(f.name) ||
                    IsReservedDeviceName(f.name) ||
                    (!f.name.empty() && (f.name.back() == '.' || f.name.back() == ' '));
        if (f.refused) {
            it.disable_recursion_pending();
        } else {
            const fs::file_type type = entry.symlink_status(ec).type();
            f.link = type == fs::file_type::symlink;
            f.folder = type == fs::file_type::directory;
            // A pipe or a device is no file a medium can hold.
            f.special = !f.link && !f.folder && type != fs::file_type::regular;
            if (f.link) {
                const fs::path target = fs::weakly_canonical(entry.path(), ec);
                f.linkTarget = Utf8Of(target.lexically_relative(canonicalRoot));
                f.linkOut = ec || f.linkTarget.empty() || f.linkTarget == "." ||
                            f.linkTarget.compare(0, 2, "..") == 0 ||
                            !fs::exists(target, ec);
            } else if (!f.folder) {
                const uintmax_t size = entry.file_size(ec);
                f.size = ec ? 0 : size;
            }
        }
        if (f.folder) lastFolder = f.hostPath;
        found.push_back(std::move(f));
    }
    // A folder that cannot be listed ends the listing: what it holds would
    // be missing from every finding.
    if (ec) {
        error = "cannot read " + lastFolder + ": " + ec.message();
        return false;
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.relative < b.relative; });

    std::unordered_map<std::u16string, std::string> byUpperPath;  // the system's uppercase -> as named
    const std::u16string& upper = text.UpperTable();
    std::vector<std::string> leftOut;  // folders, with everything in them
    for (const Found& f : found) {
        const std::string& relative = f.relative;
        const std::string& name = f.name;
        bool below = false;
        for (const std::string& gone : leftOut)
            below = below || relative.compare(0, gone.size() + 1, gone + "/") == 0;
        if (below) continue;
        const auto leaveOut = [&](const std::string& why) {
            Add(out.findings, Severity::kError, "medium-name", relative, 0,
                why + ": left out of the check");
            leftOut.push_back(relative);
        };
        if (!ValidUtf8(name)) {
            leaveOut("a name that is no valid text, which no Windows file system holds as it is");
            continue;
        }
        if (HasForbiddenCharacter(name)) {
            leaveOut("\"" + name + "\" holds a character no Windows name may hold (< > : \" | ? * "
                     "\\ / or a control character)");
            continue;
        }
        if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
            leaveOut("\"" + name + "\" ends in a dot or a blank, which Windows drops: the copy "
                     "would look for or make a file of another name");
            continue;
        }
        if (IsReservedDeviceName(name)) {
            leaveOut("\"" + name + "\" is the name of a device on Windows: no file or folder can "
                     "have it");
            continue;
        }
        if (f.special) {
            leaveOut("\"" + name + "\" is no file or folder (a pipe, socket or device)");
            continue;
        }
        if (!SpellsInCp932(text, name)) {
            Add(out.findings, Severity::kWarning, "medium-cp932", relative, 0,
                "\"" + name + "\" has a character code page 932 cannot spell: Setup.inf cannot "
                "name it, and a Japanese Windows 9x cannot copy it");
        }
        MediumEntry made;
        made.path = relative;
        std::replace(made.path.begin(), made.path.end(), '/', '\\');
        made.hostPath = f.hostPath;
        made.folder = f.folder;
        made.size = f.size;
        std::u16string key = Utf8ToUtf16(made.path);
        for (char16_t& c : key) c = upper[c];
        const auto [known, added] = byUpperPath.emplace(key, relative);
        if (!added) {
            leaveOut("\"" + relative + "\" and \"" + known->second +
                     "\" differ only in case, and a Windows file system holds only one of them");
            continue;
        }
        if (f.link) {
            if (f.linkOut) {
                Add(out.findings, Severity::kWarning, "medium-link", relative, 0,
                    "a symbolic link that leads out of the medium or nowhere: left out of the "
                    "check; a copied medium would not hold it");
                continue;
            }
            made.linkTarget = f.linkTarget;
            std::replace(made.linkTarget.begin(), made.linkTarget.end(), '/', '\\');
        }
        out.entries.push_back(std::move(made));
    }
    // A link to what was left out is left out too.
    std::unordered_map<std::string, bool> kept;
    for (const MediumEntry& entry : out.entries) kept[entry.path] = entry.linkTarget.empty();
    const auto dangling = [&](const MediumEntry& entry) {
        if (entry.linkTarget.empty()) return false;
        const auto target = kept.find(entry.linkTarget);
        if (target != kept.end() && target->second) return false;
        std::string shown = entry.path;
        std::replace(shown.begin(), shown.end(), '\\', '/');
        Add(out.findings, Severity::kWarning, "medium-link", shown, 0,
            "a symbolic link to something left out of the check, or to another link: left out too");
        return true;
    };
    out.entries.erase(std::remove_if(out.entries.begin(), out.entries.end(), dangling),
                      out.entries.end());
    // Links last: their targets exist on the machine before they do.
    std::stable_partition(out.entries.begin(), out.entries.end(),
                          [](const MediumEntry& e) { return e.linkTarget.empty(); });
    return true;
}

void LoadMedium(const Medium& medium, SimulatedOs& os) {
    os.AddDrive(kMediumDrive[0]);
    const std::string longRoot = std::string("\\\\?\\") + kMediumDrive + "\\";
    for (const MediumEntry& entry : medium.entries) {
        // The long form keeps a trailing dot or blank, as the medium's own
        // file system does.
        const std::string path = longRoot + entry.path;
        try {
            if (!entry.linkTarget.empty()) {
                os.AddLink(path, longRoot + entry.linkTarget);
            } else if (entry.folder) {
                os.AddFolder(path);
            } else {
                os.AddFile(path, entry.size);
            }
        } catch (const std::invalid_argument&) {
            // A name the machine cannot hold was reported when it was read.
        }
    }
}

bool ReadMediumContent(const Medium& medium, SimulatedOs& os, const std::string& path) {
    std::string final;
    if (!os.GetFinalPathName(path, final)) return false;
    const std::string prefix = std::string("\\\\?\\") + kMediumDrive + "\\";
    if (final.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string relative = final.substr(prefix.size());
    for (const MediumEntry& entry : medium.entries) {
        if (entry.folder || !entry.linkTarget.empty() || entry.path != relative) continue;
        // The program reads these files whole; a file larger than any script
        // or title bitmap is a mistake the check stops at.
        if (entry.size > kMaxReadBytes) {
            throw std::runtime_error(Format("%s is %llu bytes; the checker reads files of at most "
                                            "%llu bytes",
                                            entry.hostPath.c_str(),
                                            static_cast<unsigned long long>(entry.size),
                                            static_cast<unsigned long long>(kMaxReadBytes)));
        }
        std::ifstream in(fs::u8path(entry.hostPath), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) throw std::runtime_error("cannot read " + entry.hostPath);
        if (!in.is_open() || bytes.size() != entry.size)
            throw std::runtime_error("cannot read " + entry.hostPath);
        os.AddFile(final, bytes);
        return true;
    }
    return false;
}

bool SpellsInCp932(const SimulatedText& text, const std::string& utf8) {
    static const std::u16string spelt = [&text] {
        std::u16string units(0x10000, u'\0');
        for (char16_t c = 0; c < 0x80; ++c) units[c] = 1;
        for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) units[c] = 1;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead >= 0xA0 && lead <= 0xDF) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char16_t c =
                    text.DoubleByte(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
                if (c != 0) units[c] = 1;
            }
        }
        return units;
    }();
    for (const char16_t c : Utf8ToUtf16(utf8)) {
        if (!spelt[c]) return false;
    }
    return true;
}

}  // namespace setup
