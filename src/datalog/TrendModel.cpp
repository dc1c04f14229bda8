#include "datalog/TrendModel.h"

namespace qm::datalog {

TrendModel::TrendModel(std::filesystem::path path) : reader_(std::move(path)) {}

std::size_t TrendModel::poll()
{
    const std::size_t added = reader_.readMore();
    const auto& all = boards();
    spread_.resize(all.size());
    for (std::size_t b = 0; b < all.size(); ++b) ExtendSpreadSeries(all[b], spread_[b]);
    return added;
}

const BoardSeries* TrendModel::longest() const
{
    const BoardSeries* best = nullptr;
    for (const BoardSeries& s : boards())
        if (!best || s.size() > best->size()) best = &s;
    return best;
}

std::size_t TrendModel::momentCount() const
{
    const BoardSeries* s = longest();
    return s ? s->size() : 0;
}

double TrendModel::momentTime(std::size_t moment) const
{
    const BoardSeries* s = longest();
    if (!s || s->size() == 0) return 0;
    return s->sinceStart[std::min(moment, s->size() - 1)];
}

double TrendModel::firstTime() const
{
    double t = 0;
    bool any = false;
    for (const BoardSeries& s : boards()) {
        if (s.size() == 0) continue;
        t = any ? std::min(t, s.sinceStart.front()) : s.sinceStart.front();
        any = true;
    }
    return t;
}

double TrendModel::lastTime() const
{
    double t = 0;
    for (const BoardSeries& s : boards())
        if (s.size() > 0) t = std::max(t, s.sinceStart.back());
    return t;
}

} // namespace qm::datalog
