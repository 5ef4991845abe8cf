#include "curves/dialogs/CalGenRun.h"

#include "base/ui/FileChooser.h"
#include "curves/dialogs/ReferencePointDialogs.h"

CalGenOutcome RunCalGenWithDialogs(CalGenOperation operation, QWidget* parent, IMessageBoxes& boxes,
                                   IMessageLog& log, CalculatorActions actions) {
    CFileChooser files(parent);
    CReferencePointDialogs points(boxes, std::move(actions), parent);
    return RunCalGen(operation, files, points, boxes, log);
}
