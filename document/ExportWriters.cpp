#include "document/ExportWriters.h"

ServiceSlot<ExportWriterFactory> gExportWriters;
