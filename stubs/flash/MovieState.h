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

    // A new movie takes the script's answers, forgets the variables and
    // lines of the last one and does not hang; the logs go on.
    void start(const MovieScript& script);

    void writeVariable(const std::wstring& name, const std::wstring& value);
    bool readVariable(const std::wstring& name, std::wstring& value) const;
    // The answer to a document written into "xmlRequest"; false when the
    // movie leaves it unanswered (it hangs, ignores the id, cannot read it).
    bool answerRequest(const std::wstring& document, std::wstring& response) const;

    void recordCall(const std::wstring& name, const std::wstring& request);
    bool findFunction(const std::wstring& name, MovieScript::FunctionAnswer& answer) const;
    std::vector<std::wstring> callbacksOf(const std::wstring& name) const;
    void recordReturnValue(const std::wstring& value);

    void setFunctionAnswer(const std::wstring& name, const std::wstring& value);
    void setFunctionFailure(const std::wstring& name, HRESULT failure);
    void addCallback(const std::wstring& name, const std::wstring& request);
    void setRequestIgnored(const std::wstring& id, bool ignored);
    void setHang(bool hang) { myHang = hang; }
    bool hangs() const { return myHang; }

    void addLine(const std::wstring& line) { myLines.push_back(line); }
    const std::vector<std::wstring>& lines() const { return myLines; }

    const std::vector<VariableWrite>& variableWrites() const { return myWrites; }
    const std::vector<FunctionCall>& functionCalls() const { return myCalls; }
    const std::vector<std::wstring>& returnValues() const { return myReturnValues; }

private:
    // Only the answering tables of the script are used here.
    MovieScript myAnswers;
    std::map<std::wstring, std::wstring> myVariables;
    std::vector<std::wstring> myLines;
    bool myHang = false;

    std::vector<VariableWrite> myWrites;
    std::vector<FunctionCall> myCalls;
    std::vector<std::wstring> myReturnValues;
};

} // namespace standin
