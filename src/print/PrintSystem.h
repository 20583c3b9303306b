#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The print system answers when it answers: a CUPS server that takes the
// connection and then says nothing held the program's first printer lookup
// for minutes. So every call that may reach it (Qt's printer lookups, a
// QPrinter made for a printer, the hand-over of a job) runs on a thread of
// the print system's own, one call after the other, while the window stays
// painted behind a dialog whose Cancel stops the waiting.
//
// A call the steward gave up on runs on to its end with nobody waiting for
// it, so it must own all it uses (capture by value). Calls that talk to CUPS
// through CupsQueue stop as soon as they see `cancel`; Qt's lookups cannot
// be stopped, and later calls wait behind them.
namespace PrintSystem
{

using Call = std::function<void(const std::atomic<bool> &cancel)>;

// Runs `call` on the print system's thread. True once it has run; false
// when the steward cancelled first.
bool run(Call call);

// The value `call` gives, or nothing when the steward cancelled first.
template <class T> std::optional<T> ask(std::function<T(const std::atomic<bool> &cancel)> call)
{
    auto answer = std::make_shared<std::optional<T>>();
    if (!run([answer, call = std::move(call)](const std::atomic<bool> &cancel) {
            answer->emplace(call(cancel));
        }))
        return std::nullopt;
    return std::move(*answer); // empty when the call threw
}

} // namespace PrintSystem
