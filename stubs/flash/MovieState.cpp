#include "MovieState.h"

#include "MovieXml.h"

namespace standin {

void MovieState::start(const MovieScript& script)
{
    myAnswers = script;
    myAnswers.actions.clear();
    myVariables.clear();
    myLines.clear();
    myHang = false;
}

void MovieState::writeVariable(const std::wstring& name, const std::wstring& value)
{
    myVariables[name] = value;
    myWrites.push_back({name, value});
}

bool MovieState::readVariable(const std::wstring& name, std::wstring& value) const
{
    auto found = myVariables.find(name);
    if (found == myVariables.end())
        return false;
    value = found->second;
    return true;
}

bool MovieState::answerRequest(const std::wstring& document, std::wstring& response) const
{
    std::wstring id;
    bool hasId = false;
    if (myHang || !readRequestId(document, id, hasId) || myAnswers.ignoredRequests.count(id))
        return false;
    response = makeRequestResponse(id, hasId);
    return true;
}

void MovieState::recordCall(const std::wstring& name, const std::wstring& request)
{
    myCalls.push_back({name, request});
}

bool MovieState::findFunction(const std::wstring& name, MovieScript::FunctionAnswer& answer) const
{
    auto found = myAnswers.functions.find(name);
    if (found == myAnswers.functions.end())
        return false;
    answer = found->second;
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
    myAnswers.functions[name] = {value, S_OK};
}

void MovieState::setFunctionFailure(const std::wstring& name, HRESULT failure)
{
    myAnswers.functions[name] = {std::wstring(), failure};
}

void MovieState::addCallback(const std::wstring& name, const std::wstring& request)
{
    myAnswers.callbacks[name].push_back(request);
}

void MovieState::setRequestIgnored(const std::wstring& id, bool ignored)
{
    if (ignored)
        myAnswers.ignoredRequests.insert(id);
    else
        myAnswers.ignoredRequests.erase(id);
}

} // namespace standin
