#include "check/PlayerMachine.h"

#include <string>

namespace setup {

namespace {

constexpr char kProfile[] = "C:\\Users\\player";
constexpr char kVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

}  // namespace

void MakePlayerMachine(const Medium& medium, SimulatedOs& os) {
    const std::string profile = kProfile;
    const std::string local = profile + "\\AppData\\Local";
    const std::string roaming = profile + "\\AppData\\Roaming";
    const std::string programs = roaming + "\\Microsoft\\Windows\\Start Menu\\Programs";
    const std::string common = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    for (const std::string& folder :
         {std::string("C:\\Program Files"), local + "\\Temp", programs, common}) {
        os.AddFolder(folder);
    }
    os.SetEnv("USERPROFILE", profile);
    os.SetEnv("LOCALAPPDATA", local);
    os.SetEnv("APPDATA", roaming);
    os.SetEnv("TEMP", local + "\\Temp");
    os.SetEnv("TMP", local + "\\Temp");
    os.SetEnv("ProgramFiles", "C:\\Program Files");

    const std::string version = kVersion;
    os.SetString(HKEY_LOCAL_MACHINE_, version, "ProgramFilesDir", "C:\\Program Files");
    os.SetString(HKEY_LOCAL_MACHINE_, version + "\\Explorer\\Shell Folders", "Common Programs",
                 common);
    os.SetString(HKEY_CURRENT_USER_, version + "\\Explorer\\Shell Folders", "Programs", programs);
    os.SetExpandString(HKEY_CURRENT_USER_, version + "\\Explorer\\User Shell Folders", "Programs",
                       "%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
    os.AddKey(HKEY_CURRENT_USER_, version + "\\Uninstall");

    // Room for any medium: the check is about what is installed, not where.
    SimulatedOs::DiskSpace space;
    space.freeBytesAvailable = 1ull << 40;
    space.totalBytes = 2ull << 40;
    space.freeClusters = static_cast<uint32_t>((1ull << 40) / 4096);
    space.totalClusters = static_cast<uint32_t>((2ull << 40) / 4096);
    os.SetDiskSpace('C', space);

    LoadMedium(medium, os);
    const std::string program = std::string(kMediumDrive) + "\\Setup.exe";
    if (!os.Exists(program)) os.AddFile(program);  // the program the author will put there
    os.modulePath = program;
    os.SetCurrentDirectory(std::string(kMediumDrive) + "\\");
}

}  // namespace setup
