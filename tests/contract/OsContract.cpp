#include "OsContract.h"

#include <algorithm>
#include <ostream>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Utf16.h"

namespace setup {

void PrintTo(const FileIdentity& id, std::ostream* out) {
    *out << std::hex << "{" << id.volumeSerial << ", " << id.fileIndex << "}";
}

namespace contract {
namespace {

using namespace win;

constexpr uint32_t SENTINEL = 0xDEADBEEF;
constexpr uint32_t KEY_ALL = KEY_READ_ | KEY_WRITE_;
// The attribute bits a plain file's checks look at.
constexpr uint32_t SEEN =
    FILE_ATTRIBUTE_READONLY_ | FILE_ATTRIBUTE_DIRECTORY_ | FILE_ATTRIBUTE_ARCHIVE_;

std::vector<std::string> Names(const std::vector<FindData>& found) {
    std::vector<std::string> names;
    for (const FindData& data : found) names.push_back(data.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

const FindData* Entry(const std::vector<FindData>& found, const std::string& name) {
    for (const FindData& data : found) {
        if (data.name == name) return &data;
    }
    return nullptr;
}

// Each pattern, in `folder`, finds exactly its names, in any order.
using Matches = std::vector<std::pair<const char*, std::vector<std::string>>>;
void ExpectMatches(Os& os, const std::string& folder, const Matches& matches) {
    for (const auto& [pattern, names] : matches) {
        std::vector<FindData> found;
        os.FindFiles(folder + "\\" + pattern, found);
        EXPECT_EQ(Sorted(names), Names(found)) << pattern;
    }
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return fold(a) == fold(b);
    });
}

// --- files and folders ---

TEST_P(OsContract, CreateAndRemoveFolders) {
    const std::string dir = At("新しいフォルダ");
    ASSERT_TRUE(os().CreateDirectory(dir)) << os().GetLastError();
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_, os().GetFileAttributes(dir) & FILE_ATTRIBUTE_DIRECTORY_);

    EXPECT_TRUE(FailedWith(os().CreateDirectory(dir), ERROR_ALREADY_EXISTS_));
    Write(At("file.txt"), "x");
    EXPECT_TRUE(FailedWith(os().CreateDirectory(At("file.txt")), ERROR_ALREADY_EXISTS_));
    EXPECT_TRUE(FailedWith(os().CreateDirectory(At("missing\\child")), ERROR_PATH_NOT_FOUND_));
    // No such drive: Windows says 3, Wine 2.
    EXPECT_FALSE(os().CreateDirectory(env().MissingDrive() + "\\folder"));
    const uint32_t error = os().GetLastError();
    EXPECT_TRUE(error == ERROR_PATH_NOT_FOUND_ || error == ERROR_FILE_NOT_FOUND_) << error;

    Write(dir + "\\inner.txt", "x");
    EXPECT_TRUE(FailedWith(os().RemoveDirectory(dir), ERROR_DIR_NOT_EMPTY_));
    ASSERT_TRUE(os().DeleteFile(dir + "\\inner.txt"));
    EXPECT_TRUE(os().RemoveDirectory(dir)) << os().GetLastError();
    EXPECT_TRUE(FailedWith(Exists(dir), ERROR_FILE_NOT_FOUND_));

    EXPECT_TRUE(FailedWith(os().RemoveDirectory(dir), ERROR_FILE_NOT_FOUND_));
    EXPECT_TRUE(FailedWith(os().RemoveDirectory(At("missing\\child")), ERROR_PATH_NOT_FOUND_));
}

TEST_P(OsContract, ReadOnlyFolderIsNotRemoved) {
    const std::string dir = At("locked");
    ASSERT_TRUE(os().CreateDirectory(dir));
    ASSERT_TRUE(os().SetFileAttributes(dir, FILE_ATTRIBUTE_READONLY_));
    const uint32_t attributes = os().GetFileAttributes(dir);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_, attributes & FILE_ATTRIBUTE_DIRECTORY_);
    // Wine does not keep the read-only bit of a folder at all.
    if (!(attributes & FILE_ATTRIBUTE_READONLY_)) {
        GTEST_SKIP() << "the read-only attribute of a folder is not kept: " << std::hex
                     << attributes;
    }

    EXPECT_TRUE(FailedWith(os().RemoveDirectory(dir), ERROR_ACCESS_DENIED_));
    EXPECT_TRUE(Exists(dir));

    ASSERT_TRUE(os().SetFileAttributes(dir, FILE_ATTRIBUTE_NORMAL_));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_,
              os().GetFileAttributes(dir) & (FILE_ATTRIBUTE_DIRECTORY_ | FILE_ATTRIBUTE_READONLY_));
    EXPECT_TRUE(os().RemoveDirectory(dir)) << os().GetLastError();
}

TEST_P(OsContract, DeleteFile) {
    const std::string file = At("doomed.txt");
    Write(file, "bytes");
    ASSERT_TRUE(os().SetFileAttributes(file, FILE_ATTRIBUTE_READONLY_));
    EXPECT_TRUE(FailedWith(os().DeleteFile(file), ERROR_ACCESS_DENIED_));
    EXPECT_EQ("bytes", Read(file));

    ASSERT_TRUE(os().SetFileAttributes(file, FILE_ATTRIBUTE_NORMAL_));
    EXPECT_TRUE(os().DeleteFile(file)) << os().GetLastError();
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(FailedWith(os().DeleteFile(file), ERROR_FILE_NOT_FOUND_));
    EXPECT_TRUE(FailedWith(os().DeleteFile(At("missing\\doomed.txt")), ERROR_PATH_NOT_FOUND_));

    ASSERT_TRUE(os().CreateDirectory(At("folder")));
    EXPECT_TRUE(FailedWith(os().DeleteFile(At("folder")), ERROR_ACCESS_DENIED_));
    EXPECT_TRUE(Exists(At("folder")));
}

// A junction or symbolic link goes as the link itself: what it leads to stays.
TEST_P(OsContract, LinksAreRemovedThemselves) {
    ASSERT_TRUE(os().CreateDirectory(At("outside")));
    ASSERT_TRUE(os().CreateDirectory(At("empty")));
    ASSERT_TRUE(os().CreateDirectory(At("tree")));
    Write(At("outside\\sentinel.txt"), "keep");
    if (!env().MakeLink(At("tree\\folder"), At("outside")) ||
        !env().MakeLink(At("tree\\to-empty"), At("empty")) ||
        !env().MakeLink(At("tree\\file.txt"), At("outside\\sentinel.txt"))) {
        GTEST_SKIP() << "no links on this machine";
    }

    std::vector<FindData> found;
    ASSERT_TRUE(os().FindFiles(At("tree\\*"), found));
    ASSERT_TRUE(Entry(found, "folder"));
    constexpr uint32_t FOLDER_LINK = FILE_ATTRIBUTE_DIRECTORY_ | FILE_ATTRIBUTE_REPARSE_POINT_;
    EXPECT_EQ(FOLDER_LINK, Entry(found, "folder")->attributes & FOLDER_LINK);
    EXPECT_EQ(FOLDER_LINK, os().GetFileAttributes(At("tree\\folder")) & FOLDER_LINK);
    // Wine marks only folder links.
    if (!env().OnWine()) {
        EXPECT_EQ(FILE_ATTRIBUTE_REPARSE_POINT_, Entry(found, "file.txt")->attributes &
                                                     (FOLDER_LINK | FILE_ATTRIBUTE_REPARSE_POINT_));
    }
    ASSERT_TRUE(os().FindFiles(At("tree\\folder\\*"), found));
    EXPECT_TRUE(Entry(found, "sentinel.txt"));

    EXPECT_TRUE(FailedWith(os().DeleteFile(At("tree\\folder")), ERROR_ACCESS_DENIED_));
    EXPECT_TRUE(os().RemoveDirectory(At("tree\\folder"))) << os().GetLastError();
    EXPECT_TRUE(os().RemoveDirectory(At("tree\\to-empty"))) << os().GetLastError();
    EXPECT_TRUE(os().DeleteFile(At("tree\\file.txt"))) << os().GetLastError();
    EXPECT_TRUE(os().RemoveDirectory(At("tree"))) << os().GetLastError();
    EXPECT_EQ("keep", Read(At("outside\\sentinel.txt")));
    EXPECT_TRUE(Exists(At("empty")));
}

TEST_P(OsContract, CopyFileRespectsReadOnly) {
    const std::string from = At("source.txt");
    const std::string locked = At("locked.txt");
    Write(from, "new");
    Write(locked, "old");
    ASSERT_TRUE(os().SetFileAttributes(locked, FILE_ATTRIBUTE_READONLY_));

    EXPECT_TRUE(
        FailedWith(os().CopyFileWithProgress(from, locked, false, {}), ERROR_ACCESS_DENIED_));
    EXPECT_EQ("old", Read(locked));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY_, os().GetFileAttributes(locked) & FILE_ATTRIBUTE_READONLY_);

    // A copy keeps the source's read-only bit and always has the archive bit,
    // whichever way it is made.
    for (const uint32_t source : {FILE_ATTRIBUTE_NORMAL_, FILE_ATTRIBUTE_READONLY_}) {
        ASSERT_TRUE(os().SetFileAttributes(from, source));
        const std::string plain = At("plain" + std::to_string(source));
        const std::string chunked = At("chunked" + std::to_string(source));
        ASSERT_TRUE(env().SystemCopy(from, plain));
        ASSERT_TRUE(os().CopyFileWithProgress(from, chunked, true, nullptr)) << os().GetLastError();
        const uint32_t expected = (source & FILE_ATTRIBUTE_READONLY_) | FILE_ATTRIBUTE_ARCHIVE_;
        for (const std::string& copy : {plain, chunked}) {
            const uint32_t attributes = os().GetFileAttributes(copy);
            EXPECT_EQ(expected, attributes & SEEN) << copy << " " << std::hex << attributes;
            EXPECT_EQ("new", Read(copy));
        }
    }
}

TEST_P(OsContract, CopyFileWithProgressFailingHalfWayLeavesNoPartialFile) {
    const std::string from = At("big.bin");
    Write(from, std::string(3u << 20, 'b'));
    Write(At("old.bin"), "old");
    constexpr uint32_t ERROR_DISK_FULL = 112;
    for (const char* name : {"new.bin", "old.bin"}) {
        env().FailNextCopyAfterFirstChunk(ERROR_DISK_FULL);
        int calls = 0;
        EXPECT_TRUE(
            FailedWith(os().CopyFileWithProgress(from, At(name), false, [&calls] { ++calls; }),
                       ERROR_DISK_FULL))
            << name;
        EXPECT_FALSE(Exists(At(name))) << name;
        EXPECT_EQ(0, calls) << name;
    }
    EXPECT_EQ(3u << 20, Read(from).size());
    ASSERT_TRUE(os().CopyFileWithProgress(from, At("new.bin"), false, nullptr));
    EXPECT_EQ(3u << 20, Read(At("new.bin")).size());
}

TEST_P(OsContract, CopyFileWithProgressKeepsCopyFileResults) {
    const std::string from = At("source.txt");
    const std::string to = At("コピー.txt");
    Write(from, "new content");
    Write(to, "old");
    const auto count = [] {};

    EXPECT_TRUE(FailedWith(os().CopyFileWithProgress(from, to, true, count), ERROR_FILE_EXISTS_));
    EXPECT_EQ("old", Read(to));
    EXPECT_TRUE(os().CopyFileWithProgress(from, to, false, count)) << os().GetLastError();
    EXPECT_EQ("new content", Read(to));
    EXPECT_TRUE(os().CopyFileWithProgress(from, At("fresh.txt"), true, nullptr))
        << os().GetLastError();
    EXPECT_EQ("new content", Read(At("fresh.txt")));

    EXPECT_TRUE(FailedWith(os().CopyFileWithProgress(At("missing.txt"), At("x.txt"), false, count),
                           ERROR_FILE_NOT_FOUND_));
    EXPECT_FALSE(Exists(At("x.txt")));
    EXPECT_TRUE(FailedWith(os().CopyFileWithProgress(from, At("missing\\x.txt"), false, count),
                           ERROR_PATH_NOT_FOUND_));
    EXPECT_EQ("new content", Read(from));

    ASSERT_TRUE(os().SetFileAttributes(to, FILE_ATTRIBUTE_READONLY_));
    EXPECT_TRUE(
        FailedWith(os().CopyFileWithProgress(from, to, false, count), ERROR_ACCESS_DENIED_));
    ASSERT_TRUE(os().SetFileAttributes(to, FILE_ATTRIBUTE_NORMAL_));
    EXPECT_EQ("new content", Read(to));

    // The copy's attributes are those CopyFile gives, read-only included.
    ASSERT_TRUE(os().SetFileAttributes(from, FILE_ATTRIBUTE_READONLY_ | FILE_ATTRIBUTE_HIDDEN_));
    ASSERT_TRUE(env().SystemCopy(from, At("plain.txt")));
    ASSERT_TRUE(os().CopyFileWithProgress(from, At("ro.txt"), true, count));
    const uint32_t attributes = os().GetFileAttributes(At("ro.txt"));
    EXPECT_EQ(os().GetFileAttributes(At("plain.txt")), attributes) << std::hex << attributes;
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_READONLY_);
    EXPECT_EQ("new content", Read(At("ro.txt")));
}

TEST_P(OsContract, CopyFileWithProgressReportsDuringALargeCopy) {
    std::string big(5u << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
    Write(At("big.bin"), big);
    int calls = 0;
    ASSERT_TRUE(os().CopyFileWithProgress(At("big.bin"), At("big copy.bin"), false, [&calls] {
        ++calls;
    })) << os().GetLastError();
    EXPECT_GE(calls, 1);
    EXPECT_TRUE(Read(At("big copy.bin")) == big) << "the copy differs";
}

TEST_P(OsContract, FileAttributes) {
    const std::string file = At("file.txt");
    Write(file, "x");
    uint32_t attributes = os().GetFileAttributes(file);
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE_, attributes & SEEN) << std::hex << attributes;

    ASSERT_TRUE(os().SetFileAttributes(file, FILE_ATTRIBUTE_READONLY_ | FILE_ATTRIBUTE_ARCHIVE_));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY_, os().GetFileAttributes(file) & FILE_ATTRIBUTE_READONLY_);
    ASSERT_TRUE(os().SetFileAttributes(file, FILE_ATTRIBUTE_NORMAL_));
    EXPECT_EQ(0u, os().GetFileAttributes(file) & FILE_ATTRIBUTE_READONLY_);

    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_,
              os().GetFileAttributes(env().Folder()) & FILE_ATTRIBUTE_DIRECTORY_);

    os().SetLastError(0);
    EXPECT_TRUE(FailedWith(Exists(At("missing.txt")), ERROR_FILE_NOT_FOUND_));
    EXPECT_TRUE(FailedWith(Exists(At("missing\\file.txt")), ERROR_PATH_NOT_FOUND_));
    EXPECT_TRUE(FailedWith(os().SetFileAttributes(At("missing.txt"), FILE_ATTRIBUTE_NORMAL_),
                           ERROR_FILE_NOT_FOUND_));
}

TEST_P(OsContract, TextFileAndReadFile) {
    const std::string file = At("トレース.log");
    {
        auto sink = os().CreateTextFile(file);
        ASSERT_TRUE(sink) << os().GetLastError();
        sink->Write("line 1\r\n");
        sink->Write("データ\r\n");
    }
    EXPECT_EQ("line 1\r\nデータ\r\n", Read(file));

    Write(file, "short");
    EXPECT_EQ("short", Read(file));

    std::string bytes = "sentinel";
    EXPECT_TRUE(FailedWith(os().ReadFile(At("missing.txt"), bytes), ERROR_FILE_NOT_FOUND_));
    EXPECT_EQ("", bytes);
    EXPECT_EQ(nullptr, os().CreateTextFile(At("missing\\file.txt")));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND_, os().GetLastError());
}

TEST_P(OsContract, CurrentDirectory) {
    std::string saved;
    ASSERT_TRUE(os().GetCurrentDirectory(saved));
    ASSERT_FALSE(saved.empty());
    struct Restore {
        Os& os;
        std::string path;
        ~Restore() { os.SetCurrentDirectory(path); }
    } restore{os(), saved};

    ASSERT_TRUE(os().SetCurrentDirectory(env().Folder())) << os().GetLastError();
    std::string current = "sentinel";
    ASSERT_TRUE(os().GetCurrentDirectory(current));
    EXPECT_EQ(env().Folder(), current);

    // Relative paths resolve against it.
    Write("relative.txt", "here");
    EXPECT_EQ("here", Read(At("relative.txt")));
    ASSERT_TRUE(os().CreateDirectory("sub"));
    EXPECT_TRUE(os().SetCurrentDirectory("sub"));
    EXPECT_EQ("here", Read("..\\relative.txt"));
    // The current folder is held open: it cannot be removed.
    EXPECT_TRUE(FailedWith(os().RemoveDirectory(At("sub")), 32u));
    EXPECT_TRUE(Exists(At("sub")));
    ASSERT_TRUE(os().SetCurrentDirectory(env().Folder()));
    EXPECT_TRUE(os().RemoveDirectory(At("sub"))) << os().GetLastError();

    EXPECT_TRUE(FailedWith(os().SetCurrentDirectory(At("missing")), ERROR_FILE_NOT_FOUND_));
    EXPECT_TRUE(FailedWith(os().SetCurrentDirectory(At("missing\\deeper")), ERROR_PATH_NOT_FOUND_));
    ASSERT_TRUE(os().GetCurrentDirectory(current));
    EXPECT_EQ(env().Folder(), current);

    ASSERT_TRUE(os().SetCurrentDirectory(saved));
    ASSERT_TRUE(os().GetCurrentDirectory(current));
    EXPECT_EQ(saved, current);
}

// The program's own file: a whole path to an .exe.
TEST_P(OsContract, ModuleFileName) {
    std::string path;
    ASSERT_TRUE(os().GetModuleFileName(path)) << os().GetLastError();
    EXPECT_TRUE(path.size() > 7 && (path[1] == ':' || path.rfind("\\\\", 0) == 0)) << path;
    EXPECT_EQ(0, os().CompareStringOrdinal(path.substr(path.size() - 4), ".EXE", true)) << path;
}

TEST_P(OsContract, PathForms) {
    Write(At("name.txt"), "x");
    ASSERT_TRUE(os().CreateDirectory(At("dir")));
    // Case, "/" and trailing dots and blanks of the last name do not matter.
    for (const char* alias : {"NAME.TXT", "name.txt.", "name.txt ", "name.txt. .",
                              "dir\\..\\name.txt", ".\\name.txt"}) {
        std::string bytes;
        EXPECT_TRUE(os().ReadFile(At(alias), bytes)) << alias << " " << os().GetLastError();
        EXPECT_EQ("x", bytes) << alias;
    }
    std::string slashed = At("name.txt");
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    EXPECT_EQ("x", Read(slashed));
    ASSERT_TRUE(os().CreateDirectory(At("made. .")));
    EXPECT_TRUE(Exists(At("made")));
    Write(At("dir.\\inner.txt"), "y");
    EXPECT_EQ("y", Read(At("dir\\inner.txt")));

    EXPECT_TRUE(FailedWith(Exists(At("bad|name")), ERROR_INVALID_NAME_));
}

// --- what a path is ---

// One file or folder, however it is spelt (in another case, in the long
// form, through "..", through a link on the way or at the end), has one
// identity and one final path: the long form, every link resolved, each name
// in the case it was created with.
TEST_P(OsContract, IdentityAndFinalPath) {
    Write(At("File.txt"), "x");
    Write(At("other.txt"), "x");
    ASSERT_TRUE(os().CreateDirectory(At("Folder")));
    Write(At("Folder\\Inner.txt"), "y");
    std::string base;
    ASSERT_TRUE(os().GetFinalPathName(env().Folder(), base)) << os().GetLastError();
    ASSERT_EQ("\\\\?\\", base.substr(0, 4));
    EXPECT_EQ(0, os().CompareStringOrdinal(base.substr(4), env().Folder(), true)) << base;
    const std::string longForm = "\\\\?\\" + env().Folder();
    std::vector<std::pair<std::string, std::string>> rows = {
        {At("FILE.TXT"), "File.txt"},
        {longForm + "\\file.txt", "File.txt"},
        {At("Folder\\..\\file.txt"), "File.txt"},
        {At("folder"), "Folder"},
        {longForm + "\\FOLDER\\", "Folder"},
        {At("folder\\INNER.TXT"), "Folder\\Inner.txt"},
    };
    if (env().MakeLink(At("Link"), At("Folder")) &&
        env().MakeLink(At("FileLink.txt"), At("File.txt"))) {
        rows.insert(rows.end(), {{At("link"), "Folder"},
                                 {At("Link\\inner.txt"), "Folder\\Inner.txt"},
                                 {At("FileLink.txt"), "File.txt"}});
    }
    for (const auto& [spelling, stored] : rows) {
        FileIdentity expected, id;
        std::string final;
        ASSERT_TRUE(os().GetFileIdentity(At(stored), expected)) << stored;
        EXPECT_NE(FileIdentity{}, expected) << stored;
        EXPECT_TRUE(os().GetFileIdentity(spelling, id) && os().GetFinalPathName(spelling, final))
            << spelling << " " << os().GetLastError();
        EXPECT_EQ(expected, id) << spelling;
        EXPECT_EQ(base + "\\" + stored, final) << spelling;
    }

    FileIdentity file, other;
    ASSERT_TRUE(os().GetFileIdentity(At("File.txt"), file));
    ASSERT_TRUE(os().GetFileIdentity(At("other.txt"), other));
    EXPECT_NE(file, other);
    for (const auto& [name, error] : {std::make_pair("missing.txt", ERROR_FILE_NOT_FOUND_),
                                      std::make_pair("missing\\x.txt", ERROR_PATH_NOT_FOUND_)}) {
        FileIdentity id{SENTINEL, SENTINEL};
        std::string final = "sentinel";
        EXPECT_TRUE(FailedWith(os().GetFileIdentity(At(name), id), error)) << name;
        EXPECT_TRUE(FailedWith(os().GetFinalPathName(At(name), final), error)) << name;
        EXPECT_EQ((FileIdentity{SENTINEL, SENTINEL}), id);
        EXPECT_EQ("sentinel", final);
    }
}

// Names compare without case by the system's table, beyond ASCII too; the
// units the table leaves alone keep names apart.
TEST_P(OsContract, NamesCompareByTheSystemsCase) {
    const struct {
        const char* made;
        const char* asked;
        bool same;
    } rows[] = {
        {"ạ.txt", "Ạ.TXT", true},  {"ά.txt", "Ά.TXT", true},   {"ё.txt", "Ё.TXT", true},
        {"ž.txt", "Ž.TXT", true},  {"ａ.txt", "Ａ.TXT", true}, {"ı.txt", "I.TXT", false},
        {"ǅ.txt", "ǆ.txt", false}, {"ß.txt", "ẞ.txt", false},
    };
    for (const auto& row : rows) {
        Write(At(row.made), row.made);
        EXPECT_EQ(row.same, Exists(At(row.asked))) << row.made << " / " << row.asked;
    }
    EXPECT_EQ("ạ.txt", Read(At("Ạ.TXT")));
    ASSERT_TRUE(os().CreateDirectory(At("Ώ")));
    EXPECT_TRUE(FailedWith(os().CreateDirectory(At("ώ")), ERROR_ALREADY_EXISTS_));
    ExpectMatches(os(), env().Folder(), {{"Ạ*", {"ạ.txt"}}, {"ώ", {"Ώ"}}});
}

// The long form names exactly what it spells: "d." made through it is a
// folder of its own beside "d", which the short form reaches by dropping the
// dot. Every call on a path takes it.
TEST_P(OsContract, LongFormKeepsTheExactName) {
    const std::string dot = "\\\\?\\" + At("d.");
    ASSERT_TRUE(os().CreateDirectory(At("d")));
    ASSERT_TRUE(os().CreateDirectory(dot)) << os().GetLastError();
    Write(At("d\\in-d.txt"), "d");
    Write(dot + "\\in-dot.txt", "dot");
    EXPECT_EQ("dot", Read(dot + "\\in-dot.txt"));
    EXPECT_EQ("d", Read(At("d.\\in-d.txt")));

    std::vector<FindData> found;
    ASSERT_TRUE(os().FindFiles(At("*"), found));
    EXPECT_EQ(Sorted({".", "..", "d", "d."}), Names(found));
    ASSERT_TRUE(os().FindFiles(dot + "\\*", found)) << os().GetLastError();
    EXPECT_EQ(Sorted({".", "..", "in-dot.txt"}), Names(found));
    ASSERT_TRUE(Entry(found, "in-dot.txt"));
    EXPECT_EQ(dot + "\\in-dot.txt", Entry(found, "in-dot.txt")->fullPath);
    ASSERT_TRUE(os().FindFiles(dot, found)) << os().GetLastError();
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("d.", found[0].name);
    EXPECT_EQ(dot, found[0].fullPath);

    EXPECT_TRUE(os().CopyFileWithProgress(dot + "\\in-dot.txt", dot + "\\copy.txt", true, {}));
    EXPECT_TRUE(os().CopyFileWithProgress(dot + "\\copy.txt", dot + "\\chunked.txt", true, {}));
    EXPECT_EQ("dot", Read(dot + "\\chunked.txt"));
    ASSERT_TRUE(os().SetFileAttributes(dot + "\\copy.txt", FILE_ATTRIBUTE_READONLY_));
    EXPECT_TRUE(FailedWith(os().DeleteFile(dot + "\\copy.txt"), ERROR_ACCESS_DENIED_));
    ASSERT_TRUE(os().SetFileAttributes(dot + "\\copy.txt", FILE_ATTRIBUTE_NORMAL_));
    FileIdentity withDot, withoutDot;
    ASSERT_TRUE(os().GetFileIdentity(dot, withDot));
    ASSERT_TRUE(os().GetFileIdentity(At("d"), withoutDot));
    EXPECT_NE(withDot, withoutDot);
    std::string final;
    ASSERT_TRUE(os().GetFinalPathName(dot, final));
    // Wine names an open file without the trailing dots of its name.
    if (!env().OnWine()) {
        EXPECT_EQ("\\d.", final.substr(final.size() - 3)) << final;
    }

    // Nothing is resolved, so these are no names.
    for (const std::string& bad :
         {"\\\\?\\" + At("d\\..\\d."), "\\\\?\\" + At(".\\d."), "\\\\?\\" + env().Folder() + "/d.",
          "\\\\?\\" + env().Folder() + "\\\\d."}) {
        EXPECT_TRUE(FailedWith(Exists(bad), ERROR_INVALID_NAME_)) << bad;
    }

    for (const char* name : {"in-dot.txt", "copy.txt", "chunked.txt"}) {
        EXPECT_TRUE(os().DeleteFile(dot + "\\" + name)) << name << " " << os().GetLastError();
    }
    EXPECT_TRUE(os().RemoveDirectory(dot)) << os().GetLastError();
    EXPECT_FALSE(Exists(dot));
    EXPECT_EQ("d", Read(At("d\\in-d.txt")));
}

// --- find ---

TEST_P(FindContract, StarDotStarDeliversEveryEntryOnce) {
    const std::vector<std::string> expected =
        Sorted({".", "..", "a.txt", "b.dat", "noext", "テスト.txt", "sub", "データ"});
    for (const char* pattern : {"*.*", "*"}) {
        const std::vector<FindData> found = Found(At(pattern));
        EXPECT_EQ(expected, Names(found)) << pattern;
        for (const FindData& data : found) {
            EXPECT_EQ(At(data.name), data.fullPath) << pattern;
        }
    }
    const std::vector<FindData> found = Found(At("*.*"));
    for (const char* folder : {".", "..", "sub", "データ"}) {
        const FindData* data = Entry(found, folder);
        ASSERT_TRUE(data) << folder;
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_, data->attributes & FILE_ATTRIBUTE_DIRECTORY_)
            << folder;
    }
    const FindData* a = Entry(found, "a.txt");
    ASSERT_TRUE(a);
    EXPECT_EQ(5u, a->size);
    EXPECT_EQ(0u, a->attributes & FILE_ATTRIBUTE_DIRECTORY_);
    const FindData* japanese = Entry(found, "テスト.txt");
    ASSERT_TRUE(japanese);
    EXPECT_EQ(6u, japanese->size);
}

TEST_P(FindContract, Wildcards) {
    const Matches matches = {
        {"*.txt", {"a.txt", "テスト.txt"}},
        {"*.TXT", {"a.txt", "テスト.txt"}},
        {"A*", {"a.txt"}},
        {"テ*", {"テスト.txt"}},
        // "?" is one character, never two.
        {"?.DAT", {"b.dat"}},
        {"?ub", {"sub"}},
        {"noex?", {"noext"}},
        {"n?xt", {}},
        {"?.txt", {"a.txt"}},
    };
    ExpectMatches(os(), env().Folder(), matches);
}

// The rules of FindFirstFile beyond plain matching, which patterns from the
// script may use.
TEST_P(FindContract, DosWildcards) {
    if (env().OnWine()) {
        GTEST_SKIP() << "Wine matches \"?\" as exactly one character, the dot included, "
                        "and reads a trailing \".\" as nothing";
    }
    const Matches matches = {
        // A trailing "." asks for names without an extension.
        {"*.", {".", "..", "noext", "sub", "データ"}},
        // "?" may also be no character at the end of a name or before its
        // dot, and does not stand for the dot.
        {"???.txt", {"a.txt", "テスト.txt"}},
        {"noext??", {"noext"}},
        {"b.da??", {"b.dat"}},
        {"a?txt", {}},
    };
    ExpectMatches(os(), env().Folder(), matches);
}

TEST_P(FindContract, DriveRootHasNoDots) {
    const std::string root = env().Folder().substr(0, 3);
    const std::vector<std::string> names = Names(Found(root + "*"));
    EXPECT_EQ(0, std::count(names.begin(), names.end(), ".")) << root;
    EXPECT_EQ(0, std::count(names.begin(), names.end(), "..")) << root;
}

TEST_P(FindContract, NamedEntryFindsItself) {
    for (const char* name : {"sub", "データ", "a.txt"}) {
        const std::vector<FindData> found = Found(At(name));
        ASSERT_EQ(1u, found.size()) << name;
        EXPECT_EQ(name, found[0].name);
        EXPECT_EQ(At(name), found[0].fullPath);
    }
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_,
              Found(At("sub"))[0].attributes & FILE_ATTRIBUTE_DIRECTORY_);
}

TEST_P(FindContract, NothingFound) {
    std::vector<FindData> found{FindData{"sentinel", "sentinel", 1, 1}};
    EXPECT_TRUE(FailedWith(os().FindFiles(At("*.zzz"), found), ERROR_FILE_NOT_FOUND_));
    EXPECT_TRUE(found.empty());

    found.push_back(FindData{"sentinel", "sentinel", 1, 1});
    EXPECT_TRUE(FailedWith(os().FindFiles(At("missing\\*.*"), found), ERROR_PATH_NOT_FOUND_));
    EXPECT_TRUE(found.empty());

    EXPECT_TRUE(FailedWith(os().FindFiles(At("absent.txt"), found), ERROR_FILE_NOT_FOUND_));
}

// --- free space ---

TEST_P(OsContract, FreeSpace) {
    EXPECT_TRUE(os().HasGetDiskFreeSpaceEx());
    uint64_t available = SENTINEL, total = SENTINEL;
    ASSERT_TRUE(os().GetDiskFreeSpaceEx(env().Folder(), available, total)) << os().GetLastError();
    EXPECT_NE(SENTINEL, total);
    EXPECT_GT(total, 0u);
    EXPECT_LE(available, total);

    uint32_t sectors = SENTINEL, bytes = SENTINEL, freeClusters = SENTINEL, clusters = SENTINEL;
    ASSERT_TRUE(os().GetDiskFreeSpace("C:\\", sectors, bytes, freeClusters, clusters))
        << os().GetLastError();
    EXPECT_NE(SENTINEL, sectors);
    EXPECT_GT(sectors, 0u);
    EXPECT_GT(bytes, 0u);
    EXPECT_NE(SENTINEL, freeClusters);
    EXPECT_GT(clusters, 0u);

    Write(At("file.txt"), "x");
    EXPECT_TRUE(FailedWith(os().GetDiskFreeSpaceEx(At("file.txt"), available, total), 267u));

    sectors = bytes = freeClusters = clusters = SENTINEL;
    EXPECT_TRUE(FailedWith(
        os().GetDiskFreeSpace(env().MissingDrive() + "\\", sectors, bytes, freeClusters, clusters),
        ERROR_PATH_NOT_FOUND_));
    EXPECT_EQ(std::vector<uint32_t>(4, SENTINEL),
              (std::vector<uint32_t>{sectors, bytes, freeClusters, clusters}));
}

// --- registry ---

TEST_P(OsContract, RegistryKeys) {
    const std::string nested = env().Key() + "\\会社\\Product\\1.0";
    RegKey key = 0;
    uint32_t disposition = SENTINEL;
    ASSERT_EQ(0, os().RegCreateKeyEx(HKEY_CURRENT_USER_, nested, KEY_ALL, key, disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY_, disposition);
    EXPECT_NE(0u, key);
    EXPECT_EQ(0, os().RegCloseKey(key));

    disposition = SENTINEL;
    ASSERT_EQ(0, os().RegCreateKeyEx(HKEY_CURRENT_USER_, nested, KEY_ALL, key, disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY_, disposition);
    EXPECT_EQ(0, os().RegCloseKey(key));

    // Key names compare without case.
    ASSERT_EQ(
        0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, env().Key() + "\\会社\\PRODUCT", KEY_READ_, key));
    RegKey child = 0;
    EXPECT_EQ(0, os().RegOpenKeyEx(key, "1.0", KEY_READ_, child));
    EXPECT_EQ(0, os().RegCloseKey(child));
    EXPECT_EQ(0, os().RegCloseKey(key));

    // Failures leave the out-parameters as they were.
    key = SENTINEL;
    EXPECT_EQ(long(ERROR_FILE_NOT_FOUND_),
              os().RegOpenKeyEx(HKEY_CURRENT_USER_, env().Key() + "\\missing", KEY_READ_, key));
    EXPECT_EQ(
        long(ERROR_FILE_NOT_FOUND_),
        os().RegOpenKeyEx(HKEY_CURRENT_USER_, env().Key() + "\\missing\\deeper", KEY_READ_, key));
    EXPECT_EQ(SENTINEL, key);

    RegKey reading = 0;
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, env().Key(), KEY_READ_, reading));
    ASSERT_EQ(0, os().RegCreateKeyEx(reading, "会社", KEY_READ_, key, disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY_, disposition);
    EXPECT_EQ(0, os().RegCloseKey(key));
    EXPECT_EQ(0, os().RegCloseKey(reading));
    key = SENTINEL;
    disposition = SENTINEL;
    EXPECT_EQ(long(ERROR_INVALID_HANDLE_),
              os().RegCreateKeyEx(reading, "new", KEY_ALL, key, disposition));
    EXPECT_EQ(SENTINEL, key);
    EXPECT_EQ(SENTINEL, disposition);
}

TEST_P(OsContract, RegistryValues) {
    RegKey key = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(0, os().RegCreateKeyEx(HKEY_CURRENT_USER_, env().Key(), KEY_ALL, key, disposition));

    struct Case {
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const std::vector<Case> cases = {
        {"WithNul", REG_SZ_, Utf16Bytes("C:\\Program Files\\アプリ", true)},
        {"WithoutNul", REG_SZ_, Utf16Bytes("C:\\Program Files\\アプリ", false)},
        {"Expand", REG_EXPAND_SZ_, Utf16Bytes("%USERPROFILE%\\Start Menu", true)},
        {"Dword", REG_DWORD_, {0x78, 0x56, 0x34, 0x12}},
        {"インストール先", REG_SZ_, Utf16Bytes("D:\\アプリケーション", true)},
        {"", REG_SZ_, Utf16Bytes("default", true)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, os().RegSetValueEx(key, c.name, c.type, c.data.data(),
                                        static_cast<uint32_t>(c.data.size())))
            << c.name;
    }
    for (const Case& c : cases) {
        uint32_t type = SENTINEL;
        std::vector<uint8_t> data{0xEE};
        EXPECT_EQ(0, os().RegQueryValueEx(key, c.name, type, data, 1024)) << c.name;
        EXPECT_EQ(c.type, type) << c.name;
        EXPECT_EQ(c.data, data) << c.name;
    }

    // A string counted without the terminator its buffer holds is stored as
    // counted.
    const std::vector<uint8_t> terminated = Utf16Bytes("ab", true);
    EXPECT_EQ(0, os().RegSetValueEx(key, "Counted", REG_SZ_, terminated.data(), 4));
    uint32_t type = SENTINEL;
    std::vector<uint8_t> data;
    EXPECT_EQ(0, os().RegQueryValueEx(key, "Counted", type, data, 1024));
    EXPECT_EQ(Utf16Bytes("ab", false), data);

    data = {0xEE};
    EXPECT_EQ(long(ERROR_MORE_DATA_), os().RegQueryValueEx(key, "WithNul", type, data, 4));
    EXPECT_TRUE(data.empty());
    data = {0xEE};
    EXPECT_EQ(long(ERROR_FILE_NOT_FOUND_), os().RegQueryValueEx(key, "missing", type, data, 1024));
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(0, os().RegCloseKey(key));

    // A key opened for reading refuses writes, one opened for writing refuses
    // reads; a closed handle is no handle.
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, env().Key(), KEY_READ_, key));
    const uint8_t dword[4] = {1, 0, 0, 0};
    EXPECT_EQ(long(ERROR_ACCESS_DENIED_), os().RegSetValueEx(key, "Dword", REG_DWORD_, dword, 4));
    EXPECT_EQ(0, os().RegCloseKey(key));
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, env().Key(), KEY_SET_VALUE_, key));
    EXPECT_EQ(long(ERROR_ACCESS_DENIED_), os().RegQueryValueEx(key, "Dword", type, data, 1024));
    EXPECT_EQ(0, os().RegCloseKey(key));
    EXPECT_EQ(long(ERROR_INVALID_HANDLE_), os().RegQueryValueEx(key, "Dword", type, data, 1024));
}

TEST_P(OsContract, RegistryDeleteKey) {
    OsVersion version;
    ASSERT_TRUE(os().GetVersionEx(version));
    ASSERT_EQ(VER_PLATFORM_WIN32_NT_, version.platformId);

    const std::string parent = env().Key() + "\\Parent";
    RegKey key = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(
        0, os().RegCreateKeyEx(HKEY_CURRENT_USER_, parent + "\\Child", KEY_ALL, key, disposition));
    EXPECT_EQ(0, os().RegCloseKey(key));

    EXPECT_EQ(long(ERROR_ACCESS_DENIED_), os().RegDeleteKey(HKEY_CURRENT_USER_, parent));
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, parent + "\\Child", KEY_READ_, key));
    EXPECT_EQ(0, os().RegCloseKey(key));

    // What a key holds: subkeys and values counted; outputs untouched on failure.
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, parent, KEY_ALL, key));
    const uint32_t one = 1;
    ASSERT_EQ(0,
              os().RegSetValueEx(key, "v", REG_DWORD_, reinterpret_cast<const uint8_t*>(&one), 4));
    uint32_t subKeys = SENTINEL, values = SENTINEL;
    EXPECT_EQ(0, os().RegQueryInfoKey(key, subKeys, values));
    EXPECT_EQ(std::make_pair(1u, 1u), std::make_pair(subKeys, values));
    EXPECT_EQ(0, os().RegCloseKey(key));
    subKeys = values = SENTINEL;
    EXPECT_EQ(long(ERROR_INVALID_HANDLE_), os().RegQueryInfoKey(key, subKeys, values));
    EXPECT_EQ(std::make_pair(SENTINEL, SENTINEL), std::make_pair(subKeys, values));

    // Relative to an open key, then the now empty parent; a handle still
    // open on the deleted key reports it deleted.
    RegKey child = 0;
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, parent + "\\Child", KEY_READ_, child));
    ASSERT_EQ(0, os().RegOpenKeyEx(HKEY_CURRENT_USER_, parent, KEY_ALL, key));
    EXPECT_EQ(0, os().RegDeleteKey(key, "child"));
    EXPECT_EQ(0, os().RegCloseKey(key));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_EQ(long(ERROR_KEY_DELETED_), os().RegQueryValueEx(child, "x", type, data, 16));
    EXPECT_EQ(0, os().RegCloseKey(child));
    EXPECT_EQ(0, os().RegDeleteKey(HKEY_CURRENT_USER_, parent));
    EXPECT_EQ(long(ERROR_FILE_NOT_FOUND_),
              os().RegOpenKeyEx(HKEY_CURRENT_USER_, parent, KEY_READ_, key));
    EXPECT_EQ(long(ERROR_FILE_NOT_FOUND_), os().RegDeleteKey(HKEY_CURRENT_USER_, parent));
}

// --- environment, version, folders ---

TEST_P(OsContract, Environment) {
    env().SetVariable("SETUP_CONTRACT_VAR", "C:\\データ");
    std::string out = "sentinel";
    ASSERT_TRUE(os().ExpandEnvironmentStrings("%SETUP_CONTRACT_VAR%\\sub", out));
    EXPECT_EQ("C:\\データ\\sub", out);
    ASSERT_TRUE(os().ExpandEnvironmentStrings("[%setup_contract_var%]", out));
    EXPECT_EQ("[C:\\データ]", out);
    ASSERT_TRUE(os().ExpandEnvironmentStrings("%SETUP_CONTRACT_UNKNOWN%\\x", out));
    EXPECT_EQ("%SETUP_CONTRACT_UNKNOWN%\\x", out);
    ASSERT_TRUE(os().ExpandEnvironmentStrings("100%", out));
    EXPECT_EQ("100%", out);

    EXPECT_TRUE(os().GetEnvironmentVariable("Setup_Contract_Var", out));
    EXPECT_EQ("C:\\データ", out);
    env().SetVariable("SETUP_CONTRACT_EMPTY", "");
    EXPECT_TRUE(os().GetEnvironmentVariable("SETUP_CONTRACT_EMPTY", out));
    EXPECT_EQ("", out);
    out = "sentinel";
    EXPECT_TRUE(FailedWith(os().GetEnvironmentVariable("SETUP_CONTRACT_UNKNOWN", out), 203u));
    EXPECT_EQ("sentinel", out);
}

TEST_P(OsContract, VersionAndSystemFolders) {
    OsVersion version{SENTINEL, SENTINEL, SENTINEL, SENTINEL};
    ASSERT_TRUE(os().GetVersionEx(version));
    EXPECT_EQ(VER_PLATFORM_WIN32_NT_, version.platformId);
    EXPECT_GE(version.majorVersion, 4u);
    EXPECT_NE(SENTINEL, version.minorVersion);

    std::string windows, system;
    ASSERT_TRUE(os().GetWindowsDirectory(windows));
    ASSERT_TRUE(os().GetSystemDirectory(system));
    EXPECT_FALSE(windows.empty());
    EXPECT_TRUE(StartsWithNoCase(system, windows + "\\")) << windows << " / " << system;
    for (const std::string& folder : {windows, system}) {
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_,
                  os().GetFileAttributes(folder) & FILE_ATTRIBUTE_DIRECTORY_)
            << folder;
    }
}

// --- mutex ---

TEST_P(OsContract, NamedMutex) {
    const std::string name = "SetupContract-" + env().Unique();
    os().SetLastError(ERROR_ALREADY_EXISTS_);
    const MutexHandle first = os().CreateMutex(name);
    ASSERT_NE(0u, first);
    EXPECT_EQ(0u, os().GetLastError());

    const MutexHandle second = os().CreateMutex(name);
    ASSERT_NE(0u, second);
    EXPECT_EQ(ERROR_ALREADY_EXISTS_, os().GetLastError());
    EXPECT_NE(first, second);

    // Created unowned: releasing it is refused (ERROR_NOT_OWNER).
    EXPECT_TRUE(FailedWith(os().ReleaseMutex(first), 288u));

    os().CloseMutex(second);
    os().CloseMutex(first);
    const MutexHandle again = os().CreateMutex(name);
    ASSERT_NE(0u, again);
    EXPECT_EQ(0u, os().GetLastError());
    os().CloseMutex(again);
}

// --- COM and shell links ---

TEST_P(OsContract, ShellLinkRoundTrip) {
    ASSERT_EQ(S_OK_, os().CoInitialize());
    EXPECT_EQ(S_FALSE_, os().CoInitialize());
    os().CoUninitialize();

    // The target need not exist.
    ShellLinkData link;
    link.target = At("データ\\プログラム.exe");
    link.description = "説明";
    link.workingDirectory = At("データ");
    const std::string path = At("ショートカット.lnk");
    EXPECT_EQ(S_OK_, os().SaveShellLink(path, link));
    EXPECT_TRUE(Exists(path));
    std::string target = "sentinel";
    EXPECT_EQ(S_OK_, env().LoadShellLinkTarget(path, target));
    EXPECT_EQ(link.target, target);

    EXPECT_EQ(HRESULT_PATH_NOT_FOUND_, os().SaveShellLink(At("missing\\link.lnk"), link));
    os().CoUninitialize();
}

// What the install run writes: a target and a show command, nothing else.
TEST_P(OsContract, ShellLinkWithOnlyATarget) {
    ASSERT_EQ(S_OK_, os().CoInitialize());
    ShellLinkData link;
    link.target = At("ゲーム.exe");
    link.showCommand = 1;
    const std::string path = At("ゲーム.lnk");
    EXPECT_EQ(S_OK_, os().SaveShellLink(path, link));
    std::string target;
    EXPECT_EQ(S_OK_, env().LoadShellLinkTarget(path, target));
    EXPECT_EQ(link.target, target);
    os().CoUninitialize();
}

TEST_P(OsContract, ShellLinkNeedsCom) {
    ShellLinkData link;
    link.target = "C:\\Windows\\notepad.exe";
    EXPECT_EQ(CO_E_NOTINITIALIZED_, os().SaveShellLink(At("link.lnk"), link));
    EXPECT_FALSE(Exists(At("link.lnk")));
}

// --- text ---

TEST_P(OsContract, DecodeCp932) {
    const std::pair<std::string, std::string> cases[] = {
        {"\x83\x5C", "ソ"},
        {"\xB1", "ｱ"},
        {"Setup.inf [x] C:\\", "Setup.inf [x] C:\\"},
        {"\x82\xA0\x82\xA2\x82\xA4", "あいう"},
        {"", ""},
        {"\x5C\x7E", "\\~"},
        {"\xDF\xA1", "ﾟ｡"},
        {"\x87\x40", "①"},
        // What is not code page 932 becomes U+30FB: a lead byte at the end,
        // a pair the code page does not assign.
        {"A\x82", "A・"},
        {"\x85\x40"
         "A",
         "・A"},
        // Single bytes the table maps to themselves or to private use.
        {"\x80\xA0\xFD\xFE\xFF", "\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(text, os().DecodeCp932(bytes)) << text;
    }
}

// Ordinal: UTF-16 units by number, not by code point or by language; without
// case, each unit through the system's uppercase table. U+FF21 is above the
// surrogates U+1F600 is made of; "ß", "ı", "ſ" and "ǅ" have no uppercase of
// their own in the table.
TEST_P(OsContract, CompareStringOrdinal) {
    const std::tuple<const char*, const char*, bool, int> rows[] = {
        {"", "", false, 0},   {"abc", "ABC", false, 1}, {"abc", "ABC", true, 0},
        {"a", "B", false, 1}, {"a", "B", true, -1},     {"ab", "abc", true, -1},
        {"é", "f", false, 1}, {"Ａ", "😀", false, 1},    {"é", "É", false, 1},
        {"é", "É", true, 0},  {"ÿ", "Ÿ", true, 0},      {"ž", "Ž", true, 0},
        {"ő", "Ő", true, 0},  {"ά", "Ά", true, 0},      {"ώ", "Ώ", true, 0},
        {"ё", "Ё", true, 0},  {"я", "Я", true, 0},      {"ạ", "Ạ", true, 0},
        {"ệ", "Ệ", true, 0},  {"ａ", "Ａ", true, 0},    {"Ｚ", "ｚ", false, -1},
        {"ß", "SS", true, 1}, {"ß", "ẞ", true, -1},     {"ı", "I", true, 1},
        {"ı", "i", true, 1},  {"ſ", "s", true, 1},      {"ǅ", "Ǆ", true, 1},
        {"ǆ", "Ǆ", true, 0},  {"ǅ", "ǆ", true, 1},
    };
    for (const auto& [a, b, ignoreCase, sign] : rows) {
        const int result = os().CompareStringOrdinal(a, b, ignoreCase);
        EXPECT_EQ(sign, (result > 0) - (result < 0)) << a << " / " << b << " " << ignoreCase;
    }
}

// A lead byte before a byte that cannot trail keeps that byte.
TEST_P(OsContract, DecodeCp932KeepsAByteThatCannotTrail) {
    if (env().OnWine()) GTEST_SKIP() << "Wine's code page 932 swallows the byte after a lead byte";
    EXPECT_EQ("・ x", os().DecodeCp932("\x81\x20x"));
}

}  // namespace
}  // namespace contract
}  // namespace setup
