#include "XmlFile.h"
