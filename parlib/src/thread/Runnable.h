#pragma once

namespace par {

// One unit of work handed from one thread to another. Whoever receives a
// runnable runs it once and deletes it.
class Runnable {
public:
    virtual ~Runnable() = default;
    virtual void run() = 0;
};

} // namespace par
