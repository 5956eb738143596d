#include "document/ListParser.h"

ServiceSlot<ListParser> gListParser;
