#include "MovieState.h"

#include "MovieXml.h"

namespace standin {

namespace {

bool matches(const MovieScript::FunctionRule& rule, const std::vector<std::wstring>& arguments)
{
    if (!rule.hasPatterns)
        return true;
    if (rule.patterns.size() != arguments.size())
        return false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (rule.patterns[i] && *rule.patterns[i] != arguments[i])
            return false;
    }
    return true;
}

// The value with {1} to {9} replaced by the escaped arguments (missing ones
// by nothing) and {folder} by the escaped folder.
std::wstring fillIn(const std::wstring& value, const std::vector<std::wstring>& arguments,
                    const std::wstring& folder)
{
    std::wstring filled;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'{' && i + 2 < value.size() && value[i + 2] == L'}' &&
            value[i + 1] >= L'1' && value[i + 1] <= L'9') {
            const size_t index = static_cast<size_t>(value[i + 1] - L'1');
            if (index < arguments.size())
                filled += escapeXml(arguments[index]);
            i += 2;
        } else if (value.compare(i, 8, L"{folder}") == 0) {
            filled += escapeXml(folder);
            i += 7;
        } else {
            filled += value[i];
        }
    }
    return filled;
}

} // namespace

void MovieState::start(const MovieScript& script, const std::wstring& folder)
{
    myAnswers = script;
    myAnswers.actions.clear();
    myFolder = folder;
    myVariables.clear();
    mySubscriptions.clear();
    myLines.clear();
}

void MovieState::apply(const MovieScript& answers)
{
    for (const MovieScript::FunctionRule& rule : answers.functions)
        setRule(rule);
    for (const auto& callbacks : answers.callbacks) {
        std::vector<std::wstring>& list = myAnswers.callbacks[callbacks.first];
        list.insert(list.end(), callbacks.second.begin(), callbacks.second.end());
    }
    for (const auto& request : answers.requests)
        myAnswers.requests[request.first] = request.second;
}

void MovieState::setRule(const MovieScript::FunctionRule& rule)
{
    for (MovieScript::FunctionRule& known : myAnswers.functions) {
        if (known.name == rule.name && known.hasPatterns == rule.hasPatterns &&
            known.patterns == rule.patterns) {
            known = rule;
            return;
        }
    }
    myAnswers.functions.push_back(rule);
}

void MovieState::writeVariable(const std::wstring& name, const std::wstring& value)
{
    myVariables[name] = value;
    myWrites.push_back({name, value});
    std::wstring serviceId, uin;
    if (name == L"xmlCommand" && readSubscription(value, serviceId, uin))
        mySubscriptions.emplace_back(serviceId, uin);
}

bool MovieState::readVariable(const std::wstring& name, std::wstring& value) const
{
    auto found = myVariables.find(name);
    if (found == myVariables.end())
        return false;
    value = found->second;
    return true;
}

std::vector<MovieScript::Action> MovieState::reactionsTo(const std::wstring& name,
                                                         const std::wstring& value) const
{
    std::vector<MovieScript::Action> actions;
    for (const MovieScript::Reaction& reaction : myAnswers.reactions) {
        if (reaction.variable == name && (!reaction.value || *reaction.value == value))
            actions.push_back(reaction.action);
    }
    return actions;
}

std::vector<std::wstring> MovieState::subscribers(const std::wstring& serviceId) const
{
    std::vector<std::wstring> uins;
    for (const auto& subscription : mySubscriptions) {
        if (subscription.first == serviceId)
            uins.push_back(subscription.second);
    }
    return uins;
}

bool MovieState::answerRequest(const std::wstring& document, MovieScript::RequestRule& rule,
                               std::wstring& response) const
{
    std::wstring id;
    bool hasId = false;
    if (!readRequestId(document, id, hasId))
        return false;
    auto found = myAnswers.requests.find(id);
    rule = found == myAnswers.requests.end() ? MovieScript::RequestRule() : found->second;
    response = rule.document.empty() ? makeRequestResponse(id, hasId) : rule.document;
    return true;
}

void MovieState::recordCall(const std::wstring& name, const std::wstring& request)
{
    myCalls.push_back({name, request});
}

bool MovieState::answerCall(const std::wstring& name, const std::vector<std::wstring>& arguments,
                            MovieScript::FunctionAnswer& answer) const
{
    const MovieScript::FunctionRule* chosen = nullptr;
    for (const MovieScript::FunctionRule& rule : myAnswers.functions) {
        if (rule.name != name || !matches(rule, arguments))
            continue;
        if (rule.hasPatterns) {
            chosen = &rule;
            break;
        }
        if (!chosen)
            chosen = &rule;
    }
    if (!chosen)
        return false;
    answer = chosen->answer;
    answer.value = fillIn(answer.value, arguments, myFolder);
    return true;
}

std::vector<std::wstring> MovieState::callbacksOf(const std::wstring& name) const
{
    auto found = myAnswers.callbacks.find(name);
    return found == myAnswers.callbacks.end() ? std::vector<std::wstring>() : found->second;
}

void MovieState::recordReturnValue(const std::wstring& value)
{
    myReturnValues.push_back(value);
}

void MovieState::setFunctionAnswer(const std::wstring& name, const std::wstring& value)
{
    setRule({name, false, {}, {value, S_OK}});
}

void MovieState::setFunctionFailure(const std::wstring& name, HRESULT failure)
{
    setRule({name, false, {}, {std::wstring(), failure}});
}

void MovieState::addCallback(const std::wstring& name, const std::wstring& request)
{
    myAnswers.callbacks[name].push_back(request);
}

void MovieState::setRequestIgnored(const std::wstring& id, bool ignored)
{
    if (ignored)
        myAnswers.requests[id] = MovieScript::RequestRule{true, 0, std::wstring()};
    else
        myAnswers.requests.erase(id);
}

} // namespace standin
