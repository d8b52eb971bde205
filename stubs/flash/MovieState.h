#pragma once

#include "MovieScript.h"

#include <string>
#include <vector>

namespace standin {

// What the stand-in's movie knows and answers, and the logs of what the
// host did to it. No COM and no windows: the control fires the events.
class MovieState {
public:
    struct VariableWrite {
        std::wstring name;
        std::wstring value;
    };
    struct FunctionCall {
        std::wstring name;
        std::wstring request;
    };

    // A new movie takes the script's answers and reactions, forgets the
    // variables, lines and subscriptions of the last one; the logs go on.
    // folder is the movie file's folder, for {folder} in answers.
    void start(const MovieScript& script, const std::wstring& folder);
    // Answer lines that come into force later: a rule for the same function
    // and argument patterns, or the same request id, replaces the old one.
    void apply(const MovieScript& answers);

    // Keeps the value; an "addListener" command written into "xmlCommand"
    // subscribes its uin to its service id.
    void writeVariable(const std::wstring& name, const std::wstring& value);
    bool readVariable(const std::wstring& name, std::wstring& value) const;
    // The reactions' actions for a write, in file order.
    std::vector<MovieScript::Action> reactionsTo(const std::wstring& name,
                                                 const std::wstring& value) const;
    // The uins subscribed to a service id, in the order of subscription.
    std::vector<std::wstring> subscribers(const std::wstring& serviceId) const;

    // How a document written into "xmlRequest" is answered; false when the
    // movie cannot read it. response is the document to send.
    bool answerRequest(const std::wstring& document, MovieScript::RequestRule& rule,
                       std::wstring& response) const;

    void recordCall(const std::wstring& name, const std::wstring& request);
    // The answer of the first rule for the name whose patterns match the
    // arguments (rules with patterns first, in file order), with {N} and
    // {folder} filled in; false for a function the movie does not have.
    bool answerCall(const std::wstring& name, const std::vector<std::wstring>& arguments,
                    MovieScript::FunctionAnswer& answer) const;
    std::vector<std::wstring> callbacksOf(const std::wstring& name) const;
    void recordReturnValue(const std::wstring& value);

    void setFunctionAnswer(const std::wstring& name, const std::wstring& value);
    void setFunctionFailure(const std::wstring& name, HRESULT failure);
    void addCallback(const std::wstring& name, const std::wstring& request);
    void setRequestIgnored(const std::wstring& id, bool ignored);

    void addLine(const std::wstring& line) { myLines.push_back(line); }
    const std::vector<std::wstring>& lines() const { return myLines; }

    const std::vector<VariableWrite>& variableWrites() const { return myWrites; }
    const std::vector<FunctionCall>& functionCalls() const { return myCalls; }
    const std::vector<std::wstring>& returnValues() const { return myReturnValues; }

private:
    void setRule(const MovieScript::FunctionRule& rule);

    // Only the answering tables and the reactions of the script are used here.
    MovieScript myAnswers;
    std::wstring myFolder;
    std::map<std::wstring, std::wstring> myVariables;
    std::vector<std::pair<std::wstring, std::wstring>> mySubscriptions;
    std::vector<std::wstring> myLines;

    std::vector<VariableWrite> myWrites;
    std::vector<FunctionCall> myCalls;
    std::vector<std::wstring> myReturnValues;
};

} // namespace standin
