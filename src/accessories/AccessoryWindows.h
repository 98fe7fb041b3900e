// The four accessory windows.
#pragma once

#include "accessories/AboutQarn.h"
#include "accessories/Calculator.h"
#include "accessories/ImageViewer.h"
#include "accessories/Notes.h"
