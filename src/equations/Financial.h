#pragma once
// Running state of NPV, FV and PV across the steps of a run.

class TFinancialData {
public:
    virtual ~TFinancialData() = default;
    virtual void Reset() = 0;
};
