#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qm::fuzz {

std::string_view InputReader::text(std::size_t n)
{
    const std::size_t k = std::min(n, size_ - std::min(at_, size_));
    const std::string_view t(reinterpret_cast<const char*>(data_) + at_, k);
    at_ += k;
    return t;
}

std::string_view InputReader::until(char end)
{
    const std::string_view all(reinterpret_cast<const char*>(data_) + std::min(at_, size_), size_ - std::min(at_, size_));
    const auto found = all.find(end);
    if (found == std::string_view::npos) return rest();
    at_ += found + 1;
    return all.substr(0, found);
}

ReplyingController::ReplyingController(std::string_view replies)
{
    while (!replies.empty()) {
        const auto end = replies.find('\n');
        pieces_.push_back(replies.substr(0, end));
        replies = end == std::string_view::npos ? std::string_view{} : replies.substr(end + 1);
    }
}

std::size_t ReplyingController::read(char* buf, std::size_t n)
{
    if (identifying_) {
        constexpr std::string_view kBoard = "QM7410-1 controller\r\n";
        const std::size_t k = std::min(n, kBoard.size());
        std::memcpy(buf, kBoard.data(), k);
        return k;
    }
    if (pieces_.empty()) return 0;
    const std::string_view piece = pieces_[next_++ % pieces_.size()];
    const std::size_t k = std::min(n, piece.size());
    if (k > 0) std::memcpy(buf, piece.data(), k);
    return k;
}

void CheckedSession::run(const std::function<void()>& action, const char* where)
{
    const presentation::PresentationState before = session.state().status;
    action();
    test::Report report;
    test::CheckSession(report, session.state(), before);
    Require(report, where);
    Require(checker.report, where);
}

bool Faulty(const sim::Scenario& scenario, int board)
{
    for (const auto& f : scenario.pecErrors)
        if (f.board == board && f.probability > 0.0) return true;
    return false;
}

void Require(const test::Report& report, const char* where)
{
    if (report.Ok()) return;
    std::fprintf(stderr, "invariant broken after %s:\n%s", where, report.Text().c_str());
    std::abort();
}

void Require(bool ok, const std::string& what)
{
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

} // namespace qm::fuzz
