// A one-file host built with pkg-config:
//   g++ count_sales.cpp $(pkg-config --cflags --libs orvicrm) -o count_sales
// Prints the number of sales records in an OrviCrm database file, read with CRstValues.
#include <orvicrm/orvicrm.h>

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // the module shows its messages in the host's application
    if (argc != 2) {
        std::fprintf(stderr, "usage: count_sales DATABASE\n");
        return 2;
    }
    _ConnectionPtr connection = CRstValues::OpenConnection(argv[1]);
    if (!connection) return 1;
    CRstValues sales(connection, "SaleTable");
    std::printf("%ld sales\n", sales.GetTotalRecordCount());
    return 0;
}
