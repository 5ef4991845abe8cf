#include "curves/dialogs/CurveHeaderDialog.h"

#include <QStringDecoder>
#include <algorithm>

#include "curves/dialogs/CurveHeaderEdit.h"

namespace {

// Curve files are plain 8-bit text: valid UTF-8 shows as such, anything else
// byte for byte as Latin-1.
QString FromFileText(const std::string& text) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A text the user left as shown keeps its bytes, whatever their encoding.
void TakeBack(std::string& text, const QString& shown, const QString& edited) {
    if (edited != shown)
        text = edited.toStdString();
}

} // namespace

bool CCurveHeaderDialog::EditCurveHeader(CurveHeader& header, const CurvePlotData* plot) {
    CCurveHeaderEdit dialog(boxes_, parent_);
    const QString name = FromFileText(header.name);
    const QString type = FromFileText(header.type);
    dialog.SetHeader(name, type, header.multiplier, header.unit, header.count, header.sourceIsCrv);
    dialog.SetSaveAsCrv(header.saveAsCrv);
    if (plot)
        dialog.SetPlotData(
            plot->temperatures.data(), plot->values.data(),
            static_cast<int>(std::min(plot->temperatures.size(), plot->values.size())), plot->unit);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    TakeBack(header.name, name, dialog.Name());
    TakeBack(header.type, type, dialog.Type());
    header.multiplier = dialog.Multiplier();
    header.unitText = dialog.UnitText().toStdString();
    header.saveAsCrv = dialog.SaveAsCrv();
    return true;
}
