#pragma once
// Progress of a long command (a simulation, a fit) and the user's wish to stop it. The command
// polls once per data point or fit iteration; the window shows the fraction and offers Stop.

#include <stdexcept>
#include <string>

namespace kemvo {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void begin(const std::string &what) = 0;
    // The fraction of the work done (0 … 1). Returns true when the user has asked to stop.
    virtual bool advance(double fraction) = 0;
    virtual void end() = 0;
};

// Thrown by a command's work when the user stopped it; its handler undoes or keeps what the
// command's rule says and reports "stopped".
class StopRequested : public std::runtime_error {
public:
    StopRequested() : std::runtime_error("stopped") {}
};

} // namespace kemvo
