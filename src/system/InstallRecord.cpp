#include "system/InstallRecord.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "core/Text.h"

namespace setup {

namespace {

constexpr char kHeader[] = "SETUP RECORD 1";
constexpr char kRecordsFolder[] = "SetupRecords";

// The record's file name: one per product key, whatever case the key is
// written in (the registry ignores the case of ASCII letters at least).
std::string RecordName(const std::string& key) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : key) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return Format("%016" PRIx64 ".txt", hash);
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

}  // namespace

std::string InstallRecordPath(Os& os, const std::string& productKey) {
    std::string base;
    if (!os.GetEnvironmentVariable("LOCALAPPDATA", base) || base.empty()) {
        if (!os.GetEnvironmentVariable("APPDATA", base) || base.empty()) return std::string();
    }
    while (!base.empty() && base.back() == '\\') base.pop_back();
    return base + "\\" + kRecordsFolder + "\\" + RecordName(productKey);
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
        }
        // A line cut short by a crash, or of a later kind, is passed over.
    }
    if (!header || record.key.empty() || record.folder.empty()) return false;
    out = std::move(record);
    return true;
}

void RemoveInstallRecord(Os& os, const std::string& path) {
    if (path.empty() || !os.DeleteFile(path)) return;
    os.RemoveDirectory(path.substr(0, path.find_last_of('\\')));
}

InstallRecordWriter::InstallRecordWriter(Os& os, const std::string& key, const std::string& folder,
                                         bool folderExisted)
    : os_(os) {
    const std::string path = InstallRecordPath(os, key);
    if (path.empty()) return;
    // The earlier record is kept when it describes the same product in the
    // same folder; then the folder's state before the first installation
    // is what counts.
    InstallRecord earlier;
    std::string kept;
    if (LoadInstallRecord(os, path, earlier) &&
        os.CompareStringOrdinal(earlier.key, key, true) == 0 &&
        os.CompareStringOrdinal(earlier.folder, folder, true) == 0) {
        folderExisted = earlier.folderExisted;
        std::string bytes;
        os.ReadFile(path, bytes);
        for (size_t at = 0; at < bytes.size();) {
            const size_t end = std::min(bytes.find('\n', at), bytes.size());
            const std::string line = bytes.substr(at, end - at);
            at = end + 1;
            if ((line.rfind("DIR\t", 0) == 0 || line.rfind("FILE\t", 0) == 0 ||
                 line.rfind("REGKEY\t", 0) == 0 || line.rfind("VALUE\t", 0) == 0) &&
                written_.insert(line).second) {
                kept += line + "\n";
            }
            InstallRecord::Place place;
            if (line.rfind("DIR\t", 0) == 0 && ParsePlace(line, 4, place)) {
                folders_.insert(place.path);
            }
        }
    }
    // The folders on the way, should the profile lack them; each that is
    // there already simply fails.
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        os.CreateDirectory(path.substr(0, at));
    }
    sink_ = os.CreateTextFile(path);
    if (!sink_) return;
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
    FileIdentity identity;
    if (os_.GetFileIdentity(path, identity)) {
        Line(Format("%s\t%x:%" PRIx64 "\t%s", kind, identity.volumeSerial, identity.fileIndex,
                    path.c_str()));
    } else {
        Line(Format("%s\t-\t%s", kind, path.c_str()));
    }
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

}  // namespace setup
