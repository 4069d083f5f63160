#include "export_files.h"

#include <QProcess>

namespace {

const char kScript[] = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    widths = ' '.join('%s=%d' % (k, round(d.width))
                      for k, d in sorted(sheet.column_dimensions.items()) if d.width)
    print('sheet %s frozen=%s widths: %s' % (sheet.title, sheet.freeze_panes, widths))
    for row in sheet.iter_rows():
        for c in row:
            if c.value is None:
                continue
            v = c.value.isoformat() if hasattr(c.value, 'isoformat') else repr(c.value)
            form = '' if c.number_format == 'General' else ' [%s]' % c.number_format
            print('%s %s %s%s%s' % (c.coordinate, c.data_type, v, form,
                                    ' bold' if c.font.b else ''))
)";

}  // namespace

std::string DumpWorkbook(const std::string& path) {
    QProcess python;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    python.setProcessEnvironment(env);
    // The system's interpreter, which has the Debian package's openpyxl.
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kScript), QString::fromStdString(path)});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return "reader failed: " + python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().toStdString();
}

std::string HtmlTable(const std::string& title, const std::vector<std::vector<std::string>>& rows) {
    std::string file =
        "<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<TITLE>" +
        title +
        "</TITLE></HEAD>\n<BODY>\n<TABLE border=1 width=100% cellPadding=0 cellSpacing=0>\n";
    for (const auto& row : rows) {
        file += "<TR>\n";
        for (const std::string& cell : row) file += "<TD>" + cell + "</TD>\n";
        file += "</TR>\n";
    }
    return file + "</TABLE>\n</BODY>\n</HTML>\n";
}
