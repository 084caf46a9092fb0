#pragma once
// The numbers of a remote directory entry, in document order: a sequence of strings that is iterated,
// appended to and counted like a std::list<std::string>. The first kInline numbers are held in the list
// itself, so an entry with up to three short numbers allocates nothing for them; a fourth moves them all
// into one vector. Not synchronised: it belongs to its entry.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace NS_DIRECTORY {

class RemoteNumberList {
    static constexpr std::size_t kInline = 3;  // the move constructor names each one

public:
    using value_type = std::string;
    using size_type = std::size_t;
    using reference = std::string&;
    using const_reference = const std::string&;
    using iterator = std::string*;
    using const_iterator = const std::string*;

    RemoteNumberList() = default;
    // The nNumbers numbers at pNumbers, in order, each string made once where it stays.
    RemoteNumberList(const std::string_view* pNumbers, std::size_t nNumbers)
        : m_aInline{MyInlineCopy(pNumbers, nNumbers, 0), MyInlineCopy(pNumbers, nNumbers, 1),
                    MyInlineCopy(pNumbers, nNumbers, 2)},
          m_nInline(nNumbers <= kInline ? nNumbers : 0) {
        if (nNumbers > kInline) {
            m_vecSpilled.assign(pNumbers, pNumbers + nNumbers);
        }
    }
    RemoteNumberList(const RemoteNumberList&) = default;
    RemoteNumberList& operator=(const RemoteNumberList&) = default;
    // The source is left empty.
    RemoteNumberList(RemoteNumberList&& other) noexcept
        : m_aInline{std::move(other.m_aInline[0]), std::move(other.m_aInline[1]),
                    std::move(other.m_aInline[2])},
          m_nInline(other.m_nInline),
          m_vecSpilled(std::move(other.m_vecSpilled)) {
        other.clear();
    }
    RemoteNumberList& operator=(RemoteNumberList&& other) noexcept {
        if (this != &other) {
            for (std::size_t nIndex = 0; nIndex < kInline; ++nIndex) {
                m_aInline[nIndex] = std::move(other.m_aInline[nIndex]);
            }
            m_nInline = other.m_nInline;
            m_vecSpilled = std::move(other.m_vecSpilled);
            other.clear();
        }
        return *this;
    }

    template <class... Args>
    std::string& emplace_back(Args&&... args) {
        if (m_vecSpilled.empty() && m_nInline < kInline) {
            m_aInline[m_nInline].assign(std::forward<Args>(args)...);
            return m_aInline[m_nInline++];
        }
        MySpill();
        return m_vecSpilled.emplace_back(std::forward<Args>(args)...);
    }
    void push_back(const std::string& strNumber) { emplace_back(strNumber); }
    void push_back(std::string&& strNumber) { emplace_back(std::move(strNumber)); }

    void clear() noexcept {
        for (std::size_t nIndex = 0; nIndex < m_nInline; ++nIndex) {
            m_aInline[nIndex].clear();
        }
        m_nInline = 0;
        m_vecSpilled.clear();
    }

    std::size_t size() const { return m_vecSpilled.empty() ? m_nInline : m_vecSpilled.size(); }
    bool empty() const { return size() == 0; }
    iterator begin() { return m_vecSpilled.empty() ? m_aInline : m_vecSpilled.data(); }
    iterator end() { return begin() + size(); }
    const_iterator begin() const { return m_vecSpilled.empty() ? m_aInline : m_vecSpilled.data(); }
    const_iterator end() const { return begin() + size(); }
    std::string& front() { return *begin(); }
    const std::string& front() const { return *begin(); }

private:
    static std::string MyInlineCopy(const std::string_view* pNumbers, std::size_t nNumbers,
                                    std::size_t nIndex) {
        return nNumbers <= kInline && nIndex < nNumbers ? std::string(pNumbers[nIndex]) : std::string();
    }

    // Moves the inline numbers to the front of the vector, once.
    void MySpill() {
        if (!m_vecSpilled.empty() || m_nInline == 0) {
            return;
        }
        m_vecSpilled.reserve(2 * kInline);
        for (std::size_t nIndex = 0; nIndex < m_nInline; ++nIndex) {
            m_vecSpilled.push_back(std::move(m_aInline[nIndex]));
            m_aInline[nIndex].clear();
        }
        m_nInline = 0;
    }

    std::string m_aInline[kInline];
    std::size_t m_nInline = 0;  // used inline numbers; 0 once spilled
    std::vector<std::string> m_vecSpilled;
};

}  // namespace NS_DIRECTORY
