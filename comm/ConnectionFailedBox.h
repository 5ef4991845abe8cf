#pragma once

class IMessageBoxes;

// "Communication connection failed", after a table read that failed: one box,
// with the stop icon of every other communication error, wherever it is shown.
void ShowConnectionFailedBox(IMessageBoxes& boxes);
