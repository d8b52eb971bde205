#include "util/TeeStream.h"

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
    if (myFirst && traits_type::eq_int_type(myFirst->sputc(ch), traits_type::eof()))
        return traits_type::eof();
    if (mySecond && traits_type::eq_int_type(mySecond->sputc(ch), traits_type::eof()))
        return traits_type::eof();
    return traits_type::not_eof(c);
}

int teebuf::sync()
{
    const int first = myFirst ? myFirst->pubsync() : 0;
    const int second = mySecond ? mySecond->pubsync() : 0;
    return first == 0 && second == 0 ? 0 : -1;
}

teeostream::teeostream(std::ostream& first, std::ostream& second)
    : std::ostream(nullptr), myBuffer(first.good() ? first.rdbuf() : nullptr, second.rdbuf())
{
    rdbuf(&myBuffer);
}

} // namespace par
