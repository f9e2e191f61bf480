#include "system/InstallRecord.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "core/Text.h"
#include "system/PathCheck.h"

namespace setup {

namespace {

constexpr char kHeader[] = "SETUP RECORD 1";
constexpr char kRecordsFolder[] = "SetupRecords";

// A record's name without ".txt", which also names its uninstaller's folder.
std::string RecordStem(uint64_t hash, int n) {
    return Format("%016" PRIx64 "-%d", hash, n);
}

// A name for a new record of the key; records are found by what they say,
// never by their names.
std::string RecordName(const std::string& key, int n) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return RecordStem(hash, n) + ".txt";
}

// Whether two texts name one folder: by identity where both are there, else
// by the resolved paths without case.
bool SamePlace(Os& os, const std::string& a, const std::string& b) {
    FileIdentity first, second;
    if (os.GetFileIdentity(a, first) && os.GetFileIdentity(b, second)) return first == second;
    const std::string resolvedA = NormalisePath(a);
    return !resolvedA.empty() && os.CompareStringOrdinal(resolvedA, NormalisePath(b), true) == 0;
}

std::string Field(const std::string& line, size_t& at) {
    const size_t end = line.find('\t', at);
    std::string field = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? line.size() : end + 1;
    return field;
}

bool ParsePlace(const std::string& line, size_t at, InstallRecord::Place& place) {
    const std::string id = Field(line, at);
    unsigned serial = 0;
    unsigned long long index = 0;
    place.identified = std::sscanf(id.c_str(), "%x:%llx", &serial, &index) == 2;
    place.identity.volumeSerial = serial;
    place.identity.fileIndex = index;
    place.path = line.substr(at);
    return !place.path.empty();
}

// A folder's or file's line, as the reader reads it back.
std::string PlaceLine(const char* kind, const InstallRecord::Place& place) {
    if (!place.identified) return Format("%s\t-\t%s", kind, place.path.c_str());
    return Format("%s\t%x:%" PRIx64 "\t%s", kind, place.identity.volumeSerial,
                  place.identity.fileIndex, place.path.c_str());
}

}  // namespace

std::string InstallRecordsFolder(Os& os) {
    std::string base;
    if (!os.GetEnvironmentVariable("LOCALAPPDATA", base) || base.empty()) {
        if (!os.GetEnvironmentVariable("APPDATA", base) || base.empty()) return std::string();
    }
    while (!base.empty() && base.back() == '\\') base.pop_back();
    return base + "\\" + kRecordsFolder;
}

bool FindInstallRecord(Os& os, const std::string& key, const std::string& folder,
                       InstallRecord& out, std::string& path) {
    const std::string records = InstallRecordsFolder(os);
    std::vector<FindData> found;
    if (records.empty() || !os.FindFiles(records + "\\*.txt", found)) return false;
    for (const FindData& file : found) {
        InstallRecord record;
        if ((file.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) ||
            !LoadInstallRecord(os, records + "\\" + file.name, record) ||
            os.CompareStringOrdinal(record.key, key, true) != 0 ||
            !SamePlace(os, record.folder, folder)) {
            continue;
        }
        out = std::move(record);
        path = records + "\\" + file.name;
        return true;
    }
    return false;
}

bool LoadInstallRecord(Os& os, const std::string& path, InstallRecord& out) {
    std::string bytes;
    if (path.empty() || !os.ReadFile(path, bytes)) return false;
    InstallRecord record;
    bool header = false;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        const std::string line =
            bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? bytes.size() : end + 1;
        if (!header) {
            if (line != kHeader) return false;
            header = true;
            continue;
        }
        size_t field = 0;
        const std::string kind = Field(line, field);
        const std::string rest = field < line.size() ? line.substr(field) : std::string();
        InstallRecord::Place place;
        if (kind == "KEY") {
            record.key = rest;
        } else if (kind == "FOLDER") {
            record.folder = rest;
        } else if (kind == "EXISTED") {
            record.folderExisted = rest != "0";
        } else if (kind == "DIR" && ParsePlace(line, field, place)) {
            record.folders.push_back(place);
        } else if (kind == "FILE" && ParsePlace(line, field, place)) {
            record.files.push_back(place);
        } else if (kind == "REGKEY" && !rest.empty()) {
            record.keys.push_back(rest);
        } else if (kind == "VALUE" && !rest.empty()) {
            record.values.push_back(rest);
        } else if (kind == "ENTRY" && !rest.empty()) {
            record.programsEntry = rest;
        }
        // A line cut short by a crash, or of a later kind, is passed over.
    }
    if (!header || record.key.empty() || record.folder.empty()) return false;
    out = std::move(record);
    return true;
}

std::string ProgramsEntryName(const std::string& regRootKeyName) {
    std::string name = "Setup_" + regRootKeyName;
    for (char& c : name) {
        if (c == '\\') c = '_';
    }
    return name;
}

std::string UninstallerFolder(const std::string& recordPath) {
    const size_t dot = recordPath.rfind(".txt");
    return dot == std::string::npos ? std::string() : recordPath.substr(0, dot);
}

bool RemoveUninstallerFolder(Os& os, const std::string& folder) {
    const std::string records = InstallRecordsFolder(os);
    const size_t slash = folder.find_last_of('\\');
    const std::string name = slash == std::string::npos ? std::string() : folder.substr(slash + 1);
    uint64_t hash = 0;
    int n = 0;
    const bool ours = !records.empty() && slash != std::string::npos &&
                      os.CompareStringOrdinal(folder.substr(0, slash), records, true) == 0 &&
                      std::sscanf(name.c_str(), "%16" SCNx64 "-%d", &hash, &n) == 2 &&
                      name == RecordStem(hash, n);
    const uint32_t attributes = os.GetFileAttributes(folder);
    if (!ours || attributes == win::INVALID_FILE_ATTRIBUTES_ ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY_) == 0 ||
        (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) != 0 ||
        os.GetFileAttributes(folder + ".txt") != win::INVALID_FILE_ATTRIBUTES_) {
        return false;
    }
    std::vector<FindData> found;
    if (os.FindFiles(folder + "\\*", found)) {
        for (const FindData& file : found) {
            if (file.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) continue;
            // A link goes as the link; a file's read-only bit first.
            if ((file.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) == 0) {
                os.SetFileAttributes(file.fullPath, win::FILE_ATTRIBUTE_NORMAL_);
            }
            os.DeleteFile(file.fullPath);
        }
    }
    const bool removed = os.RemoveDirectory(folder);
    os.RemoveDirectory(records);  // when it is empty now
    return removed;
}

void RemoveInstallRecord(Os& os, const std::string& path) {
    if (path.empty() || !os.DeleteFile(path)) return;
    os.RemoveDirectory(path.substr(0, path.find_last_of('\\')));
}

InstallRecordWriter::InstallRecordWriter(Os& os, const std::string& key, const std::string& folder,
                                         bool folderExisted)
    : os_(os) {
    const std::string records = InstallRecordsFolder(os);
    if (records.empty()) return;
    // The earlier record of the same product in the same folder is kept, and
    // the folder's state before the first installation is what counts. A
    // record of another folder stays as it is: that installation is still
    // there, whatever happens to this one.
    InstallRecord earlier;
    std::string kept;
    std::string path;
    if (FindInstallRecord(os, key, folder, earlier, path)) {
        folderExisted = earlier.folderExisted;
        std::vector<std::string> lines;
        for (const InstallRecord::Place& place : earlier.folders) {
            folders_.insert(place.path);
            lines.push_back(PlaceLine("DIR", place));
        }
        for (const InstallRecord::Place& place : earlier.files) {
            lines.push_back(PlaceLine("FILE", place));
        }
        for (const std::string& made : earlier.keys) lines.push_back("REGKEY\t" + made);
        for (const std::string& value : earlier.values) lines.push_back("VALUE\t" + value);
        if (!earlier.programsEntry.empty()) lines.push_back("ENTRY\t" + earlier.programsEntry);
        for (const std::string& line : lines) {
            if (written_.insert(line).second) kept += line + "\n";
        }
    }
    for (int n = 0; path.empty(); ++n) {
        const std::string name = records + "\\" + RecordName(key, n);
        if (os.GetFileAttributes(name) == win::INVALID_FILE_ATTRIBUTES_) path = name;
    }
    // The folders on the way, should the profile lack them; each that is
    // there already simply fails.
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        os.CreateDirectory(path.substr(0, at));
    }
    sink_ = os.CreateTextFile(path);
    if (!sink_) return;
    path_ = path;
    sink_->Write(Format("%s\nKEY\t%s\nFOLDER\t%s\nEXISTED\t%d\n", kHeader, key.c_str(),
                        folder.c_str(), folderExisted ? 1 : 0) +
                 kept);
}

InstallRecordWriter::~InstallRecordWriter() = default;

void InstallRecordWriter::Line(const std::string& line) {
    // What a second installation makes again is on record already.
    if (sink_ && written_.insert(line).second) sink_->Write(line + "\n");
}

void InstallRecordWriter::Place(const char* kind, const std::string& path) {
    if (!sink_) return;
    InstallRecord::Place place;
    place.path = path;
    place.identified = os_.GetFileIdentity(path, place.identity);
    Line(PlaceLine(kind, place));
}

void InstallRecordWriter::Folder(const std::string& path) {
    folders_.insert(path);
    Place("DIR", path);
}

void InstallRecordWriter::File(const std::string& path) {
    // A file in a folder on record is the product's with the folder.
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && folders_.count(path.substr(0, slash)) != 0) return;
    Place("FILE", path);
}
void InstallRecordWriter::Key(const std::string& key) {
    Line("REGKEY\t" + key);
}
void InstallRecordWriter::Value(const std::string& valuePath) {
    Line("VALUE\t" + valuePath);
}
void InstallRecordWriter::ProgramsEntry(const std::string& name) {
    Line("ENTRY\t" + name);
}

}  // namespace setup
