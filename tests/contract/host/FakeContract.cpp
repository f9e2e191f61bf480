// The contract suite against FakeOs, set up as a fresh Windows machine looks
// to a test: a temp folder, HKCU\Software, drive C: only.
#include "OsContract.h"
#include "fakes/FakeOs.h"

namespace setup::contract {
namespace {

class FakeEnv : public ContractEnv {
public:
    FakeEnv() {
        static int counter = 0;
        m_unique = std::to_string(++counter);
        m_folder = "C:\\Users\\user\\AppData\\Local\\Temp\\SetupContract-" + m_unique;
        m_fake.AddFolder(m_folder);
        m_key = "Software\\SetupContractTests\\" + m_unique;
        m_fake.AddKey(HKEY_CURRENT_USER_, m_key);
    }
    // Every test closes what it opens; a leak here is a fault of the test.
    ~FakeEnv() override {
        EXPECT_EQ(0, m_fake.OpenKeyCount());
        EXPECT_EQ(0, m_fake.OpenMutexCount());
    }

    Os& os() override { return m_fake; }
    const std::string& Folder() const override { return m_folder; }
    const std::string& Key() const override { return m_key; }
    const std::string& Unique() const override { return m_unique; }
    void SetVariable(const std::string& name, const std::string& value) override {
        m_fake.SetEnv(name, value);
    }
    bool OnWine() const override { return false; }
    std::string MissingDrive() override { return "Q:"; }
    void FailNextCopyAfterFirstChunk(uint32_t error) override {
        m_fake.FailNext("CopyFileWithProgress", error);
    }
    bool SystemCopy(const std::string& from, const std::string& to) override {
        return m_fake.CopyFile(from, to, true);
    }
    int32_t LoadShellLinkTarget(const std::string& linkPath, std::string& target) override {
        return m_fake.LoadShellLinkTarget(linkPath, target);
    }
    bool MakeLink(const std::string& link, const std::string& target) override {
        m_fake.AddLink(link, target);
        return true;
    }

private:
    FakeOs m_fake;
    std::string m_folder;
    std::string m_key;
    std::string m_unique;
};

std::unique_ptr<ContractEnv> MakeFakeEnv() {
    return std::make_unique<FakeEnv>();
}

INSTANTIATE_OS_CONTRACT(Fake, MakeFakeEnv);

}  // namespace
}  // namespace setup::contract
