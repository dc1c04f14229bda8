#pragma once
// An operator at every control of the window, with any input it could give
// (garbage threshold texts, boards beyond the stack, greyed boxes), choosing
// by a source of numbers: a seeded generator for the soaks, the input bytes
// for the fuzz targets.
#include <functional>
#include <random>

#include "acquisition/Session.h"

namespace qm::test {

class Operator {
public:
    using Source = std::function<unsigned()>;
    Operator(acquisition::Session& session, Source source) : s_(session), source_(std::move(source)) {}

    int pick(int n) { return static_cast<int>(source_() % static_cast<unsigned>(n)); }
    bool coin() { return pick(2) == 0; }

    // One action; `tick` lets the timer tick once, and an action of waiting
    // calls it one to three times.
    void act(const std::function<void()>& tick)
    {
        static const char* kTyped[] = {"4.2", "3.0", "", "-0.744", "5.352", "9", "1e9", "-", ".", "2.5", "abc", "3.6"};
        const int roll = pick(100);
        if (roll < 35) {
            for (int n = 1 + pick(3); n > 0; --n) tick();
            return;
        }
        switch (roll % 16) {
        case 0: s_.OnCommandButton(pick(15)); break;
        case 1: s_.OnCommandButton(pick(3) == 0 ? 10 : 2 + pick(8)); break;
        case 2: s_.OnSelfTestButton(pick(7)); break;
        case 3: s_.OnDiagnosticButton(pick(2)); break;
        case 4: s_.OnReadCellGroup(pick(3)); break;
        case 5: s_.OnHoldDischargeStart(pick(2)); break;
        case 6: s_.OnCellSelectBox(pick(12), coin()); break;
        case 7: s_.OnTemperatureSelectBox(pick(3), coin()); break;
        case 8: s_.OnBoardCountChosen(pick(11)); break;
        case 9: s_.OnBoardFocus(pick(11)); break;
        case 10: s_.OnCfgr0Box(3 + pick(5), coin()); break;
        case 11: s_.OnRegisterBox(1 + pick(3), pick(8), coin()); break;
        case 12: s_.OnCdcArrow(pick(2)); break;
        case 13: coin() ? s_.OnCfgr0Option(pick(2)) : s_.OnThresholdOption(pick(2)); break;
        case 14: s_.EnterThreshold(pick(2), kTyped[pick(12)]); break;
        default: coin() ? s_.SelectSelfTest(pick(3)) : s_.SelectContinuousStart(pick(4)); break;
        }
    }

private:
    acquisition::Session& s_;
    Source source_;
};

inline Operator::Source Seeded(std::uint32_t seed)
{
    return [rng = std::mt19937(seed)]() mutable { return static_cast<unsigned>(rng()); };
}

} // namespace qm::test
