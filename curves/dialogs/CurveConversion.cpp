#include "curves/dialogs/CurveConversion.h"

#include "base/ui/FileChooser.h"
#include "curves/dialogs/CurveHeaderDialog.h"

ConvertOutcome RunCurveConversion(QWidget* parent, IMessageBoxes& boxes, IMessageLog& log) {
    CFileChooser files(parent);
    CCurveHeaderDialog header(boxes, parent);
    return ConvertCurve(files, header, boxes, log);
}
