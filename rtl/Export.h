#pragma once
// Everything is built with hidden visibility; what the shared library offers
// to host, plug-in and tools is marked with VCL_API.
#define VCL_API __attribute__((visibility("default")))
