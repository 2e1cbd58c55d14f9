#include "widgets/CurrentPrinter.h"

#include <QPrinter>

QPrinter& CurrentPrinter()
{
    // Never destroyed: printer plugins may be gone by the time statics are.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

void CopyPrinterSettings(const QPrinter& from, QPrinter& to)
{
    to.setOutputFormat(from.outputFormat());
    if (from.outputFormat() == QPrinter::NativeFormat)
        to.setPrinterName(from.printerName());
    to.setOutputFileName(from.outputFileName());
    to.setPageLayout(from.pageLayout());
}
