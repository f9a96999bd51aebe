#pragma once
// A minimal notification list: models announce changes, views and handlers listen.
// Views are created after their models and destroyed before them, so slots never dangle.

#include <functional>
#include <utility>
#include <vector>

namespace kemvo {

template <typename... Args> class Signal {
public:
    using Slot = std::function<void(Args...)>;
    void connect(Slot slot) { slots_.push_back(std::move(slot)); }
    void send(Args... args) const {
        // A slot may connect further slots while we run; iterate over a snapshot's count.
        for (std::size_t i = 0, n = slots_.size(); i < n; ++i)
            slots_[i](args...);
    }

private:
    std::vector<Slot> slots_;
};

} // namespace kemvo
