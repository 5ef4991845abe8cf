#include "comm/ConnectionFailedBox.h"

#include "base/UserInterface.h"

void ShowConnectionFailedBox(IMessageBoxes& boxes) {
    boxes.ShowMessage("Communication connection failed", MessageIcon::Stop);
}
