#include "document/RunFactory.h"

RunFactory* gRunFactory = nullptr;
