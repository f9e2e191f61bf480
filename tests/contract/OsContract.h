// The Os contract: the same assertions run against FakeOs on the host and
// against the real Os under Wine, so the fake cannot drift from Windows.
// Each side provides a ContractEnv and instantiates the suite with a factory.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "seams/Os.h"

namespace setup::contract {

// What a test gets to work in; everything it creates there goes away with
// the environment.
class ContractEnv {
public:
    virtual ~ContractEnv() = default;
    virtual Os& os() = 0;
    // Absolute path of an empty folder made for this test, no trailing "\".
    virtual const std::string& Folder() const = 0;
    // Path under HKEY_CURRENT_USER of an empty key made for this test.
    virtual const std::string& Key() const = 0;
    // A name no other test or process uses (for mutexes).
    virtual const std::string& Unique() const = 0;
    // Sets a variable in the environment the Os expands from.
    virtual void SetVariable(const std::string& name, const std::string& value) = 0;
    // Whether the real Os runs under Wine, for the few cases where Wine is
    // known to differ from Windows.
    virtual bool OnWine() const = 0;
    // A drive with nothing behind it, as "Q:".
    virtual std::string MissingDrive() = 0;
    // The next CopyFileWithProgress fails with `error` once its first chunk
    // is written.
    virtual void FailNextCopyAfterFirstChunk(uint32_t error) = 0;
    // The system's own CopyFile (failIfExists), which CopyFileWithProgress
    // must match.
    virtual bool SystemCopy(const std::string& from, const std::string& to) = 0;
    // Reads a shortcut back through the shell (COM initialised); `target`
    // untouched on failure.
    virtual int32_t LoadShellLinkTarget(const std::string& linkPath, std::string& target) = 0;
    // Makes `link` a junction or symbolic link to the existing folder or file
    // `target`. false where this machine cannot.
    virtual bool MakeLink(const std::string& link, const std::string& target) = 0;
};

using EnvFactory = std::unique_ptr<ContractEnv> (*)();

class OsContract : public ::testing::TestWithParam<EnvFactory> {
protected:
    void SetUp() override { m_env = GetParam()(); }
    void TearDown() override { m_env.reset(); }

    Os& os() { return m_env->os(); }
    ContractEnv& env() { return *m_env; }
    std::string At(const std::string& name) const { return m_env->Folder() + "\\" + name; }

    // Creates (or truncates) a file with the given bytes through the Os.
    void Write(const std::string& path, const std::string& bytes) {
        auto sink = os().CreateTextFile(path);
        ASSERT_TRUE(sink) << path << " last error " << os().GetLastError();
        sink->Write(bytes);
    }
    std::string Read(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(os().ReadFile(path, bytes)) << path << " last error " << os().GetLastError();
        return bytes;
    }
    bool Exists(const std::string& path) {
        return os().GetFileAttributes(path) != win::INVALID_FILE_ATTRIBUTES_;
    }
    // A call that returned false and left `error` as the last error.
    ::testing::AssertionResult FailedWith(bool succeeded, uint32_t error) {
        const uint32_t last = os().GetLastError();
        if (!succeeded && last == error) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << (succeeded ? "succeeded" : "failed")
                                             << " with last error " << last << ", not " << error;
    }

private:
    std::unique_ptr<ContractEnv> m_env;
};

// The find tests share one folder tree: three files, a Japanese-named file
// and two folders.
class FindContract : public OsContract {
protected:
    void SetUp() override {
        OsContract::SetUp();
        if (HasFatalFailure()) return;
        Write(At("a.txt"), "12345");
        Write(At("b.dat"), "");
        Write(At("noext"), "x");
        Write(At("テスト.txt"), "日本");
        ASSERT_TRUE(os().CreateDirectory(At("sub")));
        ASSERT_TRUE(os().CreateDirectory(At("データ")));
    }
    std::vector<FindData> Found(const std::string& pattern) {
        std::vector<FindData> found;
        EXPECT_TRUE(os().FindFiles(pattern, found))
            << pattern << " last error " << os().GetLastError();
        return found;
    }
};

// Instantiates the whole suite for one Os.
#define INSTANTIATE_OS_CONTRACT(name, factory)                              \
    INSTANTIATE_TEST_SUITE_P(name, OsContract, ::testing::Values(factory)); \
    INSTANTIATE_TEST_SUITE_P(name, FindContract, ::testing::Values(factory))

}  // namespace setup::contract
