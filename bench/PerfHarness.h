#pragma once
// The performance suite's frame: rows of one table (operation, size, our figure, the peer's, their ratio,
// the goal), measured side by side in alternating rounds so that both sides see the same machine load,
// instruction counts of the main rows under callgrind, and the table as text, Markdown and JSON.
//
// Row ids read "<area>/<size>/<name>". A section builds its fixture once for its size and then offers its
// rows; Wants() tells it whether any of them is asked for before it spends time building.

#include <functional>
#include <utility>
#include <string>
#include <vector>

namespace perf {

struct Options {
    bool bQuick = false;          // smallest sizes, short rounds: a smoke run
    bool bCallgrind = true;       // count instructions of the main rows
    std::string strFilter;        // run only rows whose id contains this text
    std::string strOutDir;        // where the Markdown and JSON tables go ("" = nowhere)
    std::string strCallgrindRow;  // set in the child that callgrind runs: count this row only
    std::string strSelf;          // this program, for the callgrind children
};

struct RowInfo {
    RowInfo() = default;
    RowInfo(std::string id, std::string operation, int size, std::string peer, double goal, bool main = false,
            bool bytes = false)
        : strId(std::move(id)),
          strOperation(std::move(operation)),
          nSize(size),
          strPeer(std::move(peer)),
          dGoal(goal),
          bMain(main),
          bBytes(bytes) {}

    std::string strId;
    std::string strOperation;
    int nSize = 0;
    std::string strPeer;
    double dGoal = 0;     // highest ratio that passes; 0 for a row shown without goal
    bool bMain = false;   // instructions are counted
    bool bBytes = false;  // the figures are bytes, not microseconds per operation
};

// One side of a row. run() is timed; prepare(), when set, runs untimed before every run (one run per
// sample then). A side that times only a part of its work itself gives measure() instead of run(), which
// returns the microseconds of that part. A run performs nOps operations; figures are per operation.
struct Side {
    std::function<void()> run;
    std::function<void()> prepare;
    std::function<double()> measure;
    int nOps = 1;
};
inline Side RunSide(std::function<void()> run, int nOps = 1) {
    Side side;
    side.run = std::move(run);
    side.nOps = nOps;
    return side;
}
inline Side RunSide(std::function<void()> run, std::function<void()> prepare) {
    Side side;
    side.run = std::move(run);
    side.prepare = std::move(prepare);
    return side;
}
inline Side MeasuredSide(std::function<double()> measure, int nOps) {
    Side side;
    side.measure = std::move(measure);
    side.nOps = nOps;
    return side;
}

struct Row {
    RowInfo info;
    double dOurs = 0;
    double dPeer = 0;
    double dRatio = 0;
    int nRounds = 0;
    bool bPass = true;
    std::string strNote;
    long long nOursInstr = -1;  // per operation
    long long nPeerInstr = -1;
};

class Suite {
public:
    explicit Suite(Options options);

    const Options& GetOptions() const { return m_options; }
    std::vector<int> Sizes(std::vector<int> listFull) const;
    // Whether any row of the area at this size may be asked for.
    bool Wants(const std::string& strArea, int nSize) const;
    bool WantsRow(const std::string& strId) const;
    // Whether any row whose id starts with the prefix may be asked for.
    bool WantsPrefix(const std::string& strPrefix) const;

    // Measures both sides (or, in the callgrind child, counts their instructions) and adds the row. check()
    // (optional) looks at the sides' answers and returns "" or what is wrong with them.
    void Timed(const RowInfo& info, Side ours, Side peer, const std::function<std::string()>& check = {});
    // A row whose figures were measured by the caller (memory).
    void Measured(const RowInfo& info, double dOurs, double dPeer, const std::string& strNote = "");
    // A row that could not be measured.
    void Failed(const RowInfo& info, const std::string& strWhy);

    // After every section: marks rows whose cost grows faster than their size, runs the callgrind
    // children, prints the table and writes it out. Returns the number of rows that missed their goal.
    int Finish();

private:
    void MyCount(const RowInfo& info, Side& ours, Side& peer);
    void MyCheckGrowth();
    void MyRunCallgrind();
    void MyPrint() const;
    void MyWrite() const;

    Options m_options;
    std::vector<Row> m_listRows;
};

// Median of the values (0 for none).
double Median(std::vector<double> listValues);
double NowUs();

}  // namespace perf
