// CheckCrvFile over any bytes: no crash, hang or sanitizer report; a file it
// accepts has 3 to 200 entries after 2 to 4 header lines.
#include "curves/CheckCrvFile.h"
#include "fuzz/FuzzFile.h"
#include "fuzz/NullUi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile input;
    CNullUi ui;
    CrvCheck check = CheckCrvFile(input.Write(data, size), ui, ui);
    Require(check.count == 0 || (check.count >= 3 && check.count <= 200 && check.headerLines >= 2 &&
                                 check.headerLines <= 4));
    return 0;
}
