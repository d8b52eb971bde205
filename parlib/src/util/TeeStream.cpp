#include "util/TeeStream.h"

#include <initializer_list>

namespace par {

teebuf::teebuf(std::streambuf* first, std::streambuf* second)
    : myFirst(first), mySecond(second)
{
}

teebuf::int_type teebuf::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char_type ch = traits_type::to_char_type(c);
    for (std::streambuf** target : {&myFirst, &mySecond}) {
        if (*target)
            keepIf(!traits_type::eq_int_type((*target)->sputc(ch), traits_type::eof()), *target);
    }
    return myFirst || mySecond ? traits_type::not_eof(c) : traits_type::eof();
}

int teebuf::sync()
{
    for (std::streambuf** target : {&myFirst, &mySecond}) {
        if (*target)
            keepIf((*target)->pubsync() == 0, *target);
    }
    return myFirst || mySecond ? 0 : -1;
}

void teebuf::keepIf(bool succeeded, std::streambuf*& target)
{
    if (!succeeded)
        target = nullptr;
}

teeostream::teeostream(std::ostream& first, std::ostream& second)
    : std::ostream(nullptr), myBuffer(first.good() ? first.rdbuf() : nullptr, second.rdbuf())
{
    rdbuf(&myBuffer);
}

} // namespace par
