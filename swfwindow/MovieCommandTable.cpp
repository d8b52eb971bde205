#include "swfwindow/MovieCommandTable.h"

namespace swfWindow {

Admission admit(ArgumentRule rule, std::size_t count, std::size_t given)
{
    switch (rule) {
    case ArgumentRule::NONE_READ:
        return Admission::RUN;
    case ArgumentRule::EXACTLY:
        return given == count ? Admission::RUN : Admission::IGNORED;
    case ArgumentRule::AT_LEAST:
        return given >= count ? Admission::RUN : Admission::IGNORED;
    case ArgumentRule::ONLY_EXACTLY:
        return given == count ? Admission::RUN : Admission::NOT_HANDLED;
    case ArgumentRule::ONLY_AT_LEAST:
        return given >= count ? Admission::RUN : Admission::NOT_HANDLED;
    }
    return Admission::NOT_HANDLED;
}

void encodeAnswer(AnswerKind kind, const std::wstring& value, std::wstring& answer)
{
    switch (kind) {
    case AnswerKind::NONE:
        break;
    case AnswerKind::TEXT:
        answer = encodeString(value);
        break;
    case AnswerKind::MARKUP:
        answer = encodeMarkup(value);
        break;
    case AnswerKind::STRING:
        answer = L"<string>" + value + L"</string>";
        break;
    case AnswerKind::BARE:
        if (!value.empty())
            answer = value;
        break;
    }
}

} // namespace swfWindow
