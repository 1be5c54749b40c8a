#pragma once

// Everything of the device library in one include.
#include "LP81Device.h"
#include "LS71Device.h"
#include "LS74Device.h"
#include "VelaDeviceLibrary.h"
#include "VelaEthernetDetector.h"
