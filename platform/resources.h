// Identifiers of the resources in talvern.rc, shared by the resource script and the code.
#ifndef TALVERN_PLATFORM_RESOURCES_H_
#define TALVERN_PLATFORM_RESOURCES_H_

// The icon of the executable and of the settings window (the lowest id is the file's icon).
#define TALVERN_ICON 1

#endif  // TALVERN_PLATFORM_RESOURCES_H_
