#pragma once

struct OperationContext;

// "Upload Internal DataLog" and the shortcut bar's UM_UPLOAD_DATALOG: the
// upload with the real save dialog, its boxes and log lines in the main view.
void UploadInternalDatalog(const OperationContext& view);
