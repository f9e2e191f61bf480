// What of the machine is provably one product's own: the places its
// installation record names, or, for an installation made without one, the
// files that match the medium. The uninstallation removes nothing else.
#pragma once

#include <string>
#include <vector>

#include "core/ScriptReader.h"
#include "core/SetupEnv.h"
#include "system/InstallRecord.h"

namespace setup {

class Ownership {
public:
    // Reads the product's record; without one bound to `installFolder`, the
    // medium's [Files] section says what the product's files are.
    Ownership(SetupEnv& env, const std::string& installFolder, const std::string& menuFolder);

    // Whether a record bound to this installation was found.
    bool HasRecord() const { return hasRecord_; }
    const std::string& RecordPath() const { return recordPath_; }
    // The record's entry in the list of installed programs; empty for none.
    const std::string& EntryName() const { return record_.programsEntry; }
    const std::vector<std::string>& MadeKeys() const { return record_.keys; }

    // Whether `path` lies in a folder the installation made (or, without a
    // record, in the install folder recognised by its files): everything in
    // it is the product's. Folders made above the install and menu folders
    // (the maker's) do not count: other products may live in them.
    bool OwnsWhole(const std::string& path);
    // The files and folders of the product within `path`, each whole.
    std::vector<std::string> OwnedWithin(const std::string& path);
    // Whether `path` is a file of the product: in a folder it owns whole, or a
    // file it wrote, at the place it wrote it.
    bool OwnsFile(const std::string& path);
    // Whether `folder` is one the installation made, so it may go when empty.
    bool MadeFolder(const std::string& folder);
    // Whether a key below HKEY_CURRENT_USER is the product's with everything
    // in it: the product key or a key below it.
    bool OwnsKey(const std::string& key) const;
    // Whether the installation made the key, so it may go when empty.
    bool MadeKey(const std::string& key) const;

private:
    struct Known {
        std::string path;
        std::string finalPath;
        FileIdentity identity;
    };
    bool Final(const std::string& path, std::string& finalPath);
    bool IsMakersFolder(const Known& known, const std::string& installFinal,
                        const std::string& menuFinal);
    bool StillThere(const InstallRecord::Place& place, Known& known);
    void RecogniseByMedium(const std::string& installFolder, const std::string& menuFolder);

    SetupEnv& env_;
    std::string productKey_;
    std::string recordPath_;
    bool hasRecord_ = false;
    InstallRecord record_;
    std::vector<Known> wholeFolders_;  // everything in them is the product's
    std::vector<Known> madeFolders_;   // made by an installation, the maker's included
    std::vector<Known> files_;         // the product's files in folders not its own
};

}  // namespace setup
