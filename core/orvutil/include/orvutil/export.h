// ORV_API marks every class and function that orvutil.dll exports. The library's own sources
// are compiled with ORVUTIL_BUILD defined and export; everyone else imports.
#pragma once

#if defined(ORVUTIL_BUILD)
#define ORV_API __declspec(dllexport)
#else
#define ORV_API __declspec(dllimport)
#endif
