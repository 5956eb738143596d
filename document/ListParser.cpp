#include "document/ListParser.h"

ListParser* gListParser = nullptr;
