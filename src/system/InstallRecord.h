// The installation record: what one product's installations made, written as
// it is made, so that uninstalling removes only what is provably the
// product's. It lives outside the product's folder (below the user's local
// application data), one file for each product key and install folder, and
// is bound to the two it describes.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "seams/Os.h"

namespace setup {

struct InstallRecord {
    // A folder made or a file written, with the identity it had when it was
    // made: a place that was later replaced (by a link, say) is not the one
    // recorded.
    struct Place {
        std::string path;
        FileIdentity identity;
        bool identified = false;
    };
    std::string key;     // the product key, "SOFTWARE\..."
    std::string folder;  // the install folder, as the run used it
    bool folderExisted = true;
    std::vector<Place> folders;       // made by an installation
    std::vector<Place> files;         // written into a folder that existed before
    std::vector<std::string> keys;    // registry keys made, "SOFTWARE\..."
    std::vector<std::string> values;  // values written, "SOFTWARE\...\name"
    // The entry in the list of installed programs, a key name below
    // HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall; empty for none.
    std::string programsEntry;
};

// Where the entries of the list of installed programs live, below
// HKEY_CURRENT_USER; a record's entry is a key directly below it.
constexpr char kProgramsEntries[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The product's entry name below kProgramsEntries, from the branded
// REG_ROOT_KEY_NAME: "Setup_" and its parts joined by '_' (a key name holds
// no backslash).
std::string ProgramsEntryName(const std::string& regRootKeyName);

// The folder beside a record that holds the product's uninstaller: the
// record's path without its ".txt".
std::string UninstallerFolder(const std::string& recordPath);

// Removes an uninstaller's folder and the files in it, once its record is
// gone: only a real folder (no link) directly in the records folder, named
// as a record is, whose record no longer exists. true when the folder is gone.
bool RemoveUninstallerFolder(Os& os, const std::string& folder);

// Where the records live; empty when the user has no application data folder.
std::string InstallRecordsFolder(Os& os);

// The record of the product `key` bound to the install `folder`: the same key
// without case, and the same folder by identity (by its resolved path
// without case where one of them is gone). false when there is none.
bool FindInstallRecord(Os& os, const std::string& key, const std::string& folder,
                       InstallRecord& out, std::string& path);

// Reads a record. false when there is none or it is not one of ours.
bool LoadInstallRecord(Os& os, const std::string& path, InstallRecord& out);

// Removes the record and its folder when that is left empty.
void RemoveInstallRecord(Os& os, const std::string& path);

// Writes the record line by line as the installation goes: a run stopped by
// an error or a crash leaves a true record of what it made so far. Every
// method is a no-op when the record could not be opened.
class InstallRecordWriter {
public:
    // Starts the record of `key` and `folder`; what an earlier installation
    // of the same product into the same folder recorded is kept, and the
    // records of other folders are left alone.
    InstallRecordWriter(Os& os, const std::string& key, const std::string& folder,
                        bool folderExisted);
    ~InstallRecordWriter();
    InstallRecordWriter(const InstallRecordWriter&) = delete;
    InstallRecordWriter& operator=(const InstallRecordWriter&) = delete;

    void Folder(const std::string& path);
    void File(const std::string& path);
    void Key(const std::string& key);
    void Value(const std::string& valuePath);
    void ProgramsEntry(const std::string& name);

    // The record's file; empty when it could not be opened.
    const std::string& Path() const { return path_; }

private:
    void Place(const char* kind, const std::string& path);
    void Line(const std::string& line);

    Os& os_;
    std::string path_;
    std::unique_ptr<TextSink> sink_;
    std::unordered_set<std::string> written_;
    std::unordered_set<std::string> folders_;  // on record, as written
};

}  // namespace setup
