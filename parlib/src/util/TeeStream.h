#pragma once

#include <ostream>
#include <streambuf>

namespace par {

// A stream buffer without a buffer of its own that passes every character
// on to two target buffers. A null target is skipped, so a tee whose file
// could not be opened still reaches the other target. A target that fails a
// write or a flush is dropped and the other goes on alone (a GUI program's
// standard output often cannot be written); the tee fails only when no
// target is left.
class teebuf : public std::streambuf {
public:
    teebuf(std::streambuf* first, std::streambuf* second);

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Drops the target when the result tells of a failure.
    static void keepIf(bool succeeded, std::streambuf*& target);

    std::streambuf* myFirst;
    std::streambuf* mySecond;
};

// An output stream that writes to two other streams at once.
class teeostream : public std::ostream {
public:
    teeostream(std::ostream& first, std::ostream& second);

private:
    teebuf myBuffer;
};

} // namespace par
