// A first client of QUORVALE.DLL: traces a few calls into the log file "Quorvale_Log.Txt" in
// the current directory and runs to its end with nobody at the screen.
#include <cstdio>
#include <string>

#include "quorvale_client.h"

using namespace qvkit;

int main() {
    // The first debug call of a process would open the Flow Access window; not wanted here.
    FLOWACCESSN();
    // Message lines go to the log file as well as to the Window Message.
    DEBUGFY();

    // "-W": the calls go on without stopping at the Attention window.
    DynStr label("FirstTrace");
    int32_t count = 0;
    for (int step = 1; step <= 3; ++step) {
        DynStr options("-W");
        DynStr message("step " + std::to_string(step) + " of 3");
        count = DEBUGL(options.ref(), label.ref(), message.ref());
    }
    DynStr options("-w +f");
    DynStr other("FirstTrace_Done"), message("all steps done");
    DEBUGL(options.ref(), other.ref(), message.ref());
    std::printf("DEBUGL returned call count %d; options rewritten to \"%s\"\n", count, options.str().c_str());

    // A batch of the client's own lines, to the Window Message and to the log file.
    StringArray lines = StringArray::from_lines({
        "first_trace: a batch of the client's own lines\r\n",
        "  second line of the batch\r\n",
    });
    int32_t n = 2;
    PUTWINMSG(lines.desc(), &n);
    PUTFILELOG(lines.desc(), &n);

    std::printf("master counter %d, flow-table rows %d\n", GETMASTERCOUNTER(), GETTOTFLOW());
    return 0;
}
