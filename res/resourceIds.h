// Resource numbers shared by tarvo.rc and the code that loads them.
#pragma once

#define IDI_TARVO_LARGE 101
#define IDI_TARVO_SMALL 102
#define IDR_LOGO_PNG 201
