#pragma once

// A dialog form without a window, for tests of the model alone: it answers
// the window operations of any abstract dialog, and ShowModal with
// ModalAnswer.

#include "report/model/forms/CustomForm.h"

namespace reporttest {

template <class Base>
class WindowlessForm : public Base
{
public:
    using Base::Base;
    int ShowModal() override { return ModalAnswer; }
    void Show() override {}
    void Close() override {}
    bool Showing() const override { return false; }
    int ModalResult() const override { return 0; }
    void SetModalResult(int) override {}
    void SetIcon(const QIcon &) override {}

    int ModalAnswer = report::ppModalResultOK;
};

} // namespace reporttest
