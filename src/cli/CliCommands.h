#pragma once
// quorvane-cli render: the diagram painted into PNG, SVG or PDF through the same painting
// code as the program's window and printed report.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class TDataFile;

enum TImageFormat { ifPng, ifSvg, ifPdf };

// The format named by the file's extension (case ignored); false for any other.
bool ImageFormatOf(const std::string& fileName, TImageFormat& format);

// Zoom limits of render, in percent.
inline constexpr double MinRenderZoom = 10;
inline constexpr double MaxRenderZoom = 1000;
// No side of a rendered picture may exceed this many pixels.
inline constexpr int32_t MaxRenderSide = 16384;

// Paints the document's whole diagram at zoom percent into fileName, replacing it only once
// the new picture is complete. Returns a quorvane-cli exit status; err gets the reason.
int RenderDiagramFile(TDataFile& document, const std::string& fileName, TImageFormat format,
                      double zoom, std::ostream& err);

// args: the arguments after "render".
int CommandRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Every command of the tool: render here, the rest as RunCli.
int RunCliCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
