#include "TempRoot.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "HostControl.h"

namespace fs = std::filesystem;

namespace testsupport {

TempRoot::TempRoot() {
    std::string pattern = (fs::temp_directory_path() / "dirtest.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_strDir = pattern;
    HostControl::SetLoopbackOnly(true);
    HostControl::Reset();
    HostControl::SetRootDir(m_strDir);
}

TempRoot::~TempRoot() {
    HostControl::Reset();
    HostControl::SetRootDir("");
    std::error_code ec;
    fs::remove_all(m_strDir, ec);
}

std::string TempRoot::Path(const std::string& strPhonePath) const { return HostControl::MapPath(strPhonePath); }

void TempRoot::WriteFile(const std::string& strPhonePath, const std::string& strContent) const {
    const fs::path path = Path(strPhonePath);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << strContent;
}

std::string TempRoot::ReadFile(const std::string& strPhonePath) const {
    std::ifstream in(Path(strPhonePath), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool TempRoot::Exists(const std::string& strPhonePath) const { return fs::exists(Path(strPhonePath)); }

}  // namespace testsupport
