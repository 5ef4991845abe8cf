#include "curves/dialogs/TableNumberDialogs.h"

#include <string_view>

#include "base/ui/UiText.h"
#include "comm/CommandLine.h"
#include "curves/TransferSteps.h"
#include "curves/dialogs/CalTblNumReq.h"
#include "curves/dialogs/PIDTblNumReq.h"

static_assert(CCalTblNumReq::UserCurves == ITableNumberDialogs::UserCurves);

std::optional<int>
CTableNumberDialogs::AskUserCurveNumber(const std::array<std::string, UserCurves>& replies) {
    CCalTblNumReq dialog(parent_);
    std::array<QString, CCalTblNumReq::UserCurves> texts;
    // Shown as they arrived, without the line end that closes every reply.
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = FromCoreText(WithoutLineEnd(replies[i]));
    dialog.SetReplies(texts);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.CurveNumber();
}

std::optional<int> CTableNumberDialogs::AskPIDTableNumber() {
    CPIDTblNumReq dialog(boxes_, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.TableNumber();
}
