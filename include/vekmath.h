// Exports of the processing library.
#pragma once
#include <windef.h>

// Selects the acquisition device by board type code and device name; opens
// nothing and returns the type. A name longer than 87 bytes is cut.
DLL_EXPORT LONG WINAPI SelectBoard(LONG type, LONG value, const char* name);

// Copies the whole 2,048-byte message buffer (Shift-JIS) into text.
DLL_EXPORT void WINAPI GetErrorText(char* text);

// Configures one acquisition on the selected board. channels: low 16 bits,
// 0 to 32; channelList: 32 entries, 1-based channel numbers; triggerChannel:
// 1-based, 0 or below for none; levels: low 16 bits, signed counts.
DLL_EXPORT void WINAPI SetupSampling(LONG channels, const SHORT* channelList, LONG blockScans, LONG scanClockUs,
                                     LONG periodUs, LONG eventOffset, LONG triggerChannel, LONG levelB, LONG levelA,
                                     LONG* status);

// formatTable: 32 entries, 1 = the channel's raw data is signed.
DLL_EXPORT void WINAPI SetupSampling2(const LONG* formatTable, LONG value, LONG* status);

// 1: the acquisition thread looks for trigger events.
DLL_EXPORT void WINAPI SetupSampling3(LONG detect);

// Refused (nothing starts) while the last status is not 0 or a run is on.
DLL_EXPORT void WINAPI StartSampling(LONG* status);

// Ends the run, waiting for the acquisition thread; returns the last status.
DLL_EXPORT LONG WINAPI StopSampling(LONG* status);

// Closes the device, ending a run first.
DLL_EXPORT void WINAPI CloseBoard(LONG* status);

// The simulated board's test-signal table (column c is what channel c
// plays) and its pacing.
// Rows 0 to n - 1 of the column: a sine of the given number of periods,
// centred on 32768. Rows past the table's end are left out.
DLL_EXPORT void WINAPI SetTestSine(LONG cycles, LONG n, LONG channel);
DLL_EXPORT void WINAPI SetTestCosine(LONG cycles, LONG n, LONG channel);
// A square wave between 0 and 65535 that starts low.
DLL_EXPORT void WINAPI SetTestSquare(LONG cycles, LONG n, LONG channel);
// How many rows the channel cycles through, 1 to 10,000; others are refused.
DLL_EXPORT void WINAPI SetTestChannelLength(LONG length, LONG channel);
// One table entry; a row or column outside the table is refused.
DLL_EXPORT void WINAPI SetTestSample(LONG value, LONG row, LONG channel);
// Empty loop iterations after each scan; at least 10,000.
DLL_EXPORT void WINAPI SetTestLength(LONG count);

// ---- NI digital lines (NI-DAQmx board types; the device is the selected
// "DevN"). Without NI-DAQmx each call only builds the 30009 message.
// Lines 0 to 7 are port0/line0-7, lines 8 to 11 port1/line0-3; a line
// whose bit of outputMask is set is an output, every other an input.
// Ends the digital tasks open before.
DLL_EXPORT void WINAPI OpenDigitalIO(LONG outputMask, LONG unused);
// Drives the output lines: bit k to the k-th output line.
DLL_EXPORT void WINAPI WriteDigitalOut(DWORD value, LONG unused);
// Reads the input lines, bit k from the k-th input line; value is left
// alone when nothing could be read.
DLL_EXPORT void WINAPI ReadDigitalIn(DWORD* value, LONG unused);
DLL_EXPORT void WINAPI DigitalNop(LONG value);
// ---- end NI digital lines

// The other export families, one header each.
#include <vekmath/status.h>
#include <vekmath/triggers.h>
#include <vekmath/readout.h>
#include <vekmath/blocks.h>
#include <vekmath/wave_graph.h>
// ---- drawing engine, graph table and window snapshots
#include <vekmath/draw_engine.h>
#include <vekmath/graph_table.h>
#include <vekmath/window_snapshot.h>
// ---- end drawing engine, graph table and window snapshots
#include <vekmath/calibration.h>
#include <vekmath/arrays.h>
#include <vekmath/device_lists.h>

// ---- signal processing, companion program, WAVE headers ----
#include <vekmath/detection.h>
#include <vekmath/spectrum.h>
#include <vekmath/generators.h>
#include <vekmath/wave_header.h>
#include <vekmath/companion.h>
// ---- end signal processing, companion program, WAVE headers ----

// ---- camera capture, preview and camera list ----
// One camera at a time, chosen by its position in the enumeration of video
// cameras. Its frames are painted into the preview window on the camera's
// own streaming thread.

// The calling thread's first call answers 0 (S_OK), every further one 1.
DLL_EXPORT LONG WINAPI CameraInit(void);
// Frees the recording's compressor settings; balances one CameraInit.
DLL_EXPORT void WINAPI CameraExit(void);
// The camera the next OpenCamera and ListCameras use; returns index.
DLL_EXPORT LONG WINAPI SelectCamera(LONG index);
// Connects the selected camera, asks it for width x height frames at 30 a
// second (a size it does not offer leaves its own) and starts the preview in
// window; folder (ending with a backslash) is where recordings go. A
// connected camera is disconnected first. status: 0 connected; 1 no camera
// at the selected index or it cannot be used; 2 it gives no frames (no
// capture output). After 1 or 2 nothing runs; CloseCamera releases it.
DLL_EXPORT void WINAPI OpenCamera(HWND window, const char* folder, LONG height, LONG width, LONG* status);
// Stops and releases the camera; the window keeps the last picture. Neither
// argument is used; harmless without a connection.
DLL_EXPORT void WINAPI CloseCamera(HWND window, LONG* status);
// A value that identifies the running connection, 0 when none.
DLL_EXPORT void WINAPI GetCameraControl(intptr_t* control);
// Has the next frame served as a grab while the calling thread's window
// messages are dispatched: 0 once served, 1 when no frame came within 5 s.
DLL_EXPORT BYTE WINAPI WaitNextFrame(void);
// The camera's settings dialog, modal, twice: over the running stream and
// with it stopped. Failures are written to the debug output.
DLL_EXPORT void WINAPI ShowCameraProperties(void);
// Writes the camera list file at path (INI form, CR LF lines): the cameras'
// names, the selected camera's properties and frame sizes. Leaves no camera
// connected. status is written only on failure: 1 when there is no camera
// (the file is then empty), an HRESULT when the file cannot be made.
DLL_EXPORT void WINAPI ListCameras(const char* path, LONG* status);
// ---- end camera capture, preview and camera list ----

// ---- video recording beside the acquisition
// Records the connected camera into a new AVI file at videoPath, stamping
// every recorded frame with the acquisition's position (scans) and its
// media time; empties the stills folder under the camera's base folder.
// The video file's result (0, or 1 file, 2 stream, 3 no compressor, 4
// format) is the recording's status (GetLastStatus); the acquisition's last
// status is left alone. secondText is kept and not used. Returns the
// camera's run result (nonzero without a connected camera).
DLL_EXPORT LONG WINAPI StartRecord(const char* videoPath, const char* secondText, const char* frameTimePath);
// Ends the recording and closes the video file; frames that came before the
// acquisition moved get positions counted back from 0 (100 ms of scans
// apart), and the positions go to the frame-time file as 32-bit little-
// endian values. A sampling period of 0 becomes 1. The third argument is
// not used.
DLL_EXPORT void WINAPI EndRecord(LONG keepCallback, LONG keepPreview, LONG unused);
// No further frames are recorded until the next StartRecord.
DLL_EXPORT void WINAPI EndRecordCAPTURE();
// Frames skipped after each recorded frame; returns n.
DLL_EXPORT LONG WINAPI SetFrameInterval(LONG n);
// Nonzero pauses both the frames and the block times; returns flag.
DLL_EXPORT LONG WINAPI SetManualMarks(LONG flag);
// Sets the acquisition's position, and for an index of 0 to 2,591,999 the
// block count to index and that block time; returns index.
DLL_EXPORT LONG WINAPI SetCaptureMark(LONG position, LONG index, DWORD time);
// Frames recorded and block times stamped; returns the blocks.
DLL_EXPORT LONG WINAPI GetCaptureCounts(LONG* frames, LONG* blocks);
// Copies the counts' entries of the three tables into arrays that hold
// them (any may be NULL); grabbed: the sequence number of the last frame
// served to a grab request, 0 before the first.
DLL_EXPORT void WINAPI GetCaptureTimes(LONG* positions, LONG* blockTimes, double* frameTimes, LONG* grabbed);
// The status of the last StartRecord's video file.
DLL_EXPORT void WINAPI GetLastStatus(LONG* status);
// ---- end video recording beside the acquisition
