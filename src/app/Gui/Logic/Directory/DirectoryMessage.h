#pragma once
// The two host messages the module handles: a configuration setting changed (65543), which reloads the
// model concerned, answers the sender and tells the GUI, and a thread timer expired (33043), which saves
// the local files when it is the delayed-save timer. Registered by Directory_RegisterMessage; both run on
// the GUI thread.

#include "MsgQueue.h"

namespace NS_DIRECTORY {

// Configuration change; wParam names the setting group, lParam refines it.
constexpr int DIRECTORY_MSG_CONFIG_CHANGED = 65543;

// Setting groups (wParam of 65543).
enum DirectoryConfigGroup : int {
    DIR_CONFIG_LOCAL_FILES = 8,   // both local files were replaced by another process
    DIR_CONFIG_SUPERSEARCH = 35,  // also 52
    DIR_CONFIG_XPORT = 46,        // import or export, lParam 0 to 4
    DIR_CONFIG_REMOTE = 47,       // lParam 0 the settings, 1 the refresh period
    DIR_CONFIG_BROADSOFT = 49,    // also 55
    DIR_CONFIG_BLACKLIST_SHOW = 50,
    DIR_CONFIG_SUPERSEARCH_2 = 52,
    DIR_CONFIG_BROADSOFT_CUSTOM = 54,  // also forgets the custom directories in use
    DIR_CONFIG_BROADSOFT_2 = 55,
    DIR_CONFIG_FAVORITE = 56,
};

// Notifications to the GUI (wParam and lParam 0).
constexpr int DIRECTORY_MSG_SHORTCUT_CHANGED = 1721;
constexpr int DIRECTORY_MSG_REMOTE_RELOADED = 1821;
constexpr int DIRECTORY_MSG_BROADSOFT_RELOADED = 1921;

// Handles 65543 whatever the message id says; answers through ReplyMessage and returns the same result.
// An import or export (46) asked for while a background reload of the local files runs answers the busy
// code 12 (XPORT_RESULT_BUSY, which the import itself also answers then) and touches no file.
// Network directory settings (49, 54, 55) answer the reload's result: 0 when the directory was set up
// again, -14 when it was refused because the network is down. 1921 is sent only after a reload that was
// done, as 1821 follows a remote reload, so the GUI re-reads the directory only when it changed; the title
// is set either way.
// The remote settings (47, lParam 0) reload a remote model that already exists; one that does not yet
// exist is created, which reads the new settings itself.
int OnDirectoryMessage(ETL_MsgQueueHelper::msgObject& msg);
// Handles 33043: offers the timer id to the group and contact saves (each saves only for 83179); 0 when
// both saved, else -1 (also for any other message id).
int OnTimerOut(ETL_MsgQueueHelper::msgObject& msg);

}  // namespace NS_DIRECTORY
