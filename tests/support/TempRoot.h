#pragma once
// A fresh host with its file root in a new temporary folder, removed again at the end of the test.
// It switches the host to loopback-only transfers, so no test can reach another machine.

#include <string>

#include <gtest/gtest.h>

namespace testsupport {

class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::string& Dir() const { return m_strDir; }
    // The real location of a phone path ("/config/data/x.xml") under this root.
    std::string Path(const std::string& strPhonePath) const;
    // Writes a file at a phone path, creating its folders.
    void WriteFile(const std::string& strPhonePath, const std::string& strContent) const;
    // The content of a file at a phone path ("" when absent).
    std::string ReadFile(const std::string& strPhonePath) const;
    bool Exists(const std::string& strPhonePath) const;

private:
    std::string m_strDir;
};

// Base fixture: every test starts on a fresh host rooted in its own temporary folder.
class HostFixture : public ::testing::Test {
protected:
    TempRoot m_root;
};

}  // namespace testsupport
