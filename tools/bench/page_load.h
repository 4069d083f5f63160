// Loading the sale page of a client from the database at GetDatabasePath(): the figures of
// one load, from 查询 to the full list.
#pragma once

struct PageLoadFigures {
    double firstRowMs = -1;   // until the list shows its first row
    double fullS = 0;         // until the load is over
    double maxBusyMs = 0;     // the longest stretch the window's thread missed its timer
    double maxBusyCpuMs = 0;  // its own processor time in that stretch (the rest: waiting)
    long shown = 0;           // rows in the list
};

// The client's records (ObjectDateTime=clientKey), named 张三 for the page.
PageLoadFigures MeasureSalePageLoad(long clientKey);
