#include "export/export_run.h"

#include <algorithm>

#include "export/cell_text.h"
#include "export/table_writer.h"
#include "orvicrm/CRstValues.h"
#include "records/pages/record_page.h"
#include "records/pages/row_display.h"

namespace {

// Reads the current record's exported columns into row.
bool ReadRow(const ExportJob& job, const std::vector<CellForm>& forms,
             std::vector<TableCell>& row) {
    FieldValue value;
    for (size_t c = 0; c < job.columns.size(); ++c) {
        const ExportColumn& column = job.columns[c];
        value.number = 0;
        value.real = 0;
        if (!ReadFieldValue(*job.records, column.field.c_str(), column.type, value)) return false;
        ExportCell(forms[c], column.type, value, row[c]);
    }
    return true;
}

}  // namespace

ExportOutcome WriteTickedRecords(const ExportJob& job, const ExportHooks& hooks) {
    const long n = job.recordCount;
    if (n <= 0 || !job.records) return ExportOutcome::Completed;
    std::unique_ptr<CTableFileWriter> writer = MakeTableWriter(job.path);
    if (!writer->Open(job.title, job.path)) return ExportOutcome::FileFailed;

    std::vector<TableCell> row;
    std::vector<CellForm> forms;
    for (const ExportColumn& column : job.columns) {
        row.push_back(column.heading);
        forms.push_back(ExportCellForm(column.field.c_str(), column.type));
    }
    writer->WriteRow(row);

    std::vector<char> ticked;
    long tickedFrom = 0;
    int lastPercent = -1;
    for (long i = 0; i < n; ++i) {
        if (hooks.stopRequested && hooks.stopRequested()) {
            writer->CloseWithoutTail();
            return ExportOutcome::Cancelled;
        }
        if (i == tickedFrom + static_cast<long>(ticked.size())) {
            tickedFrom = i;
            ticked.assign(std::min(kTickBlock, n - i), 0);
            if (hooks.askTicks) hooks.askTicks(i, static_cast<long>(ticked.size()), ticked);
        }
        if (ticked[i - tickedFrom]) {
            if (!job.records->MoveRecID(i) || !ReadRow(job, forms, row)) {
                writer->Close();
                return ExportOutcome::ReadFailed;
            }
            writer->WriteRow(row);
        }
        const int percent = static_cast<int>((i + 1) * 100LL / n);
        if (percent != lastPercent && hooks.progress) hooks.progress(percent);
        lastPercent = percent;
    }
    return writer->Close() ? ExportOutcome::Completed : ExportOutcome::FileFailed;
}
