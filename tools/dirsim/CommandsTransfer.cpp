// Commands that move contact files in and out: import (with its dry run) and export.

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "CommandSupport.h"
#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "DataRoot.h"
#include "HostControl.h"
#include "ImportCheck.h"
#include "ModuleAdapter.h"
#include "Progress.h"
#include "Session.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

json BookCounts() {
    const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    return json{{"contacts", pModel->GetCurrentContactCount()},
                {"blacklisted", pModel->GetCurrentBlackCount()},
                {"groups", pModel->GetCurrentGroupCount()}};
}

std::string CountsText(const json& counts) {
    return std::to_string(counts["contacts"].get<int>()) + " contacts, " +
           std::to_string(counts["blacklisted"].get<int>()) + " blacklisted, " +
           std::to_string(counts["groups"].get<int>()) + " groups";
}

// Removes the copy of the file the command brought into the data folder, whatever happens.
class CImportCopy {
public:
    ~CImportCopy() { std::remove(HostControl::MapPath(dataroot::kImportPhonePath).c_str()); }
};

Result Import(CSession& session, const Args& args) {
    const std::string strFile = args.Text("file");
    const bool bAppend = args.Flag("append");
    std::string strError;
    CImportCopy copy;
    if (!dataroot::CopyInto(strFile, dataroot::kImportPhonePath, &strError)) {
        return Result::Fail("cannot import: " + strError + "; nothing was changed");
    }
    if (args.Flag("check")) {
        const ImportCheckReport report = CheckImport(dataroot::kImportPhonePath, bAppend);
        Result result;
        result.data = report.ToJson();
        result.data["file"] = strFile;
        result.vecLines = report.ToLines();
        result.vecLines.insert(result.vecLines.begin(), "dry run of importing " + strFile + ":");
        return result;
    }
    if (CommonAPI_ParseContactFileType(dataroot::kImportPhonePath) < 0) {
        return Result::Fail("cannot import " + strFile +
                            ": it is not a contact file the phone can read; nothing was "
                            "changed");
    }
    const json before = BookCounts();
    const module::ImportMode eMode = bAppend                     ? module::ImportMode::Append
                                     : args.Flag("check-limits") ? module::ImportMode::ReplaceAfterLimitCheck
                                                                 : module::ImportMode::Replace;
    CProgress progress("importing " + strFile, session.ShowProgress());
    const int nResult = module::ImportContacts(dataroot::kImportPhonePath, eMode);
    session.Pump(0);
    if (nResult != 0) {
        Result failure = Result::Fail("cannot import " + strFile + ": " + XPortResultText(nResult));
        failure.data["result"] = nResult;
        return failure;
    }
    const json after = BookCounts();
    Result result;
    result.data = {{"file", strFile},
                   {"mode", bAppend ? "append" : "replace"},
                   {"before", before},
                   {"after", after},
                   {"seconds", progress.Seconds()}};
    char szSeconds[32];
    std::snprintf(szSeconds, sizeof szSeconds, "%.1f", progress.Seconds());
    return result.Line("imported " + strFile + (bAppend ? " (added)" : " (replaced the phone book)") +
                       " in " + szSeconds + " s: now " + CountsText(after) +
                       " (before: " + CountsText(before) + ")");
}

Result Export(CSession&, const Args& args) {
    const std::string strTarget = args.Text("file");
    const std::string strPhonePath = std::string(kLocalDataFolder) + kLocalExportFileName;
    std::remove(HostControl::MapPath(strPhonePath).c_str());
    const int nResult = module::ExportContacts(strPhonePath);
    const std::string strWritten = HostControl::MapPath(strPhonePath);
    if (nResult != 0 || !std::filesystem::exists(strWritten)) {
        return Result::Fail("the export was not written" +
                            (nResult != 0 ? ": " + XPortResultText(nResult) : ""));
    }
    std::string strWhere = strWritten;
    if (!strTarget.empty()) {
        std::error_code error;
        std::filesystem::copy_file(strWritten, strTarget, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error) {
            return Result::Fail("exported inside the data folder, but cannot write " + strTarget + ": " +
                                error.message());
        }
        strWhere = strTarget;
    }
    Result result;
    result.data = BookCounts();
    result.data["file"] = strWhere;
    return result.Line("exported " + CountsText(result.data) + " to " + strWhere);
}

}  // namespace

void AddTransferCommands(CCommandRegistry& registry) {
    registry.Add(
        {"import",
         "import a contact file (replaces the phone book unless --append)",
         "import --check contacts.xml",
         {{"file", ParamKind::Positional, ParamType::Text, true, false, "contact file on this machine"},
          {"append", ParamKind::Flag, ParamType::Text, false, false, "add to the phone book, keep it"},
          {"check", ParamKind::Flag, ParamType::Text, false, false, "dry run: report, change nothing"},
          {"check-limits", ParamKind::Flag, ParamType::Text, false, false,
           "replace only when the file fits the limits"}},
         Import});
    registry.Add({"export",
                  "export the phone book (to a file of this machine when given)",
                  "export book.xml",
                  {{"file", ParamKind::Positional, ParamType::Text, false, false, "where to write a copy"}},
                  Export});
}

}  // namespace dirsim
