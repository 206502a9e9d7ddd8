// The filter as a script sees it: created by its ProgID, every property set and read
// back, the settings saved and loaded, then a stream played through a graph and the
// decoder's statistics read and layers added while the graph still runs.
// usage: cscript filter_script_test.js STREAM PICTURES WIDTH HEIGHT
var failures = 0, checks = 0;

function check(what, actual, expected) {
    ++checks;
    if (actual !== expected) {
        ++failures;
        WScript.Echo("FAIL: " + what + ": " + actual + ", expected " + expected);
    }
}

function hex(number) { return "0x" + (number >>> 0).toString(16); }

// The HRESULT a call fails with, or "none".
function failureOf(call) {
    try {
        call();
    } catch (e) {
        return hex(e.number);
    }
    return "none";
}

var args = WScript.Arguments;
var stream = args(0), pictures = Number(args(1)), width = Number(args(2)), height = Number(args(3));

var filter = new ActiveXObject("Tarvello.DirectShowFilter.VideoDecoder");
check("Version", /^v\d+\.\d+\.\d+\.\d+, Release\(Unicode\), assembled on Oct 12 2006$/.test(filter.Version), true);
check("decoder of a stopped filter", filter.decoder, null);
check("Sleep(0)", failureOf(function () { filter.Sleep(0); }), "0x80070057");
check("Sleep(1)", failureOf(function () { filter.Sleep(1); }), "none");

// Each property with the values it must keep; the last one stays set. (The
// read-only RendererLateness is a 64-bit integer, which JScript cannot hold.)
var properties = [
    ["Deinterlace", [0, 1, 2, 3, 5, 4]],
    ["CPUFeatureSSE", [false, true]],
    ["CPUFeatureSSE2", [false, true]],
    ["CPUFeatureSSE3", [true, false]],
    ["DXVA", [true, false]],
    ["AlwaysDeinterlace", [true, false]],
    ["ColorCorrection", [true, false]],
    ["FrameSkipping", [true, false]],
    ["ErrorConcealment", [true, false]],
    ["FrameSkippingTolerance", [0, 4294967295, 40]],
    ["UseHadwareAcceleratedDeinterlace", [true, false]],
    ["OutputTypesPriority", ["", "RGB32", "yuy2,,YV12"]],
    ["OutputTypesPriorityHW", ["YUY2", "UYVY,YUY2"]],
    ["OutputTypesPriorityDXVA", ["DXVA_A", ""]],
    ["OutputConnectionAllowList", ["{6BC1CFFA-8FC1-4261-AC22-CFB4CC38DB50}", ""]],
    ["OutputConnectionDenyList", ["{B87BEB7B-8D29-423F-AE4D-6582C10175AC}", ""]],
    ["AspectRatioX", [4, 16]],
    ["AspectRatioY", [3, 9]]
];
for (var i = 0; i < properties.length; ++i) {
    var name = properties[i][0], values = properties[i][1];
    for (var j = 0; j < values.length; ++j) {
        filter[name] = values[j];
        check(name + " = " + values[j], filter[name], values[j]);
    }
}

// Members a script adds itself live on the object.
filter.note = "kept";
check("dynamic member", filter.note, "kept");

// Saved settings are what a new filter starts with; the saved tolerance is put back.
var first = new ActiveXObject("Tarvello.DirectShowFilter.VideoDecoder");
var saved = first.FrameSkippingTolerance;
first.FrameSkippingTolerance = saved + 17;
first.SaveDefaults();
var second = new ActiveXObject("Tarvello.DirectShowFilter.VideoDecoder");
check("tolerance after SaveDefaults", second.FrameSkippingTolerance, saved + 17);
second.FrameSkippingTolerance = saved;
second.SaveDefaults();

// Play with the settings made above: software bob (4) and a forced 16:9 aspect.
var player = new ActiveXObject("TlTest.GraphPlayer");
var error = failureOf(function () { player.Play(filter, stream, "yv12"); });
check("Play", error, "none");
var decoder = filter.decoder;
check("decoder while running", decoder !== null, true);
if (decoder !== null) {
    check("decoder name", String(decoder), "MPEG2 Decoder");
    check("FrameNum", decoder.FrameNum, pictures);
    check("Errors", decoder.Errors, 0);
    check("SkippedFrames", decoder.SkippedFrames, 0);
    check("SizeX", decoder.SizeX, width);
    check("SizeY", decoder.SizeY, height);
    check("CodedSizeY", decoder.CodedSizeY, (height + 15) & ~15);
    check("ChromaFormat", decoder.ChromaFormat, 1);
    check("Profile", decoder.Profile, 4);
    check("Level", decoder.Level, 8);
    check("FrameRate", decoder.FrameRate, 25);
    check("Deinterlace used", decoder.Deinterlace, 4);
    check("AspectRatioX", decoder.AspectRatioX, 16);
    check("AspectRatioY", decoder.AspectRatioY, 9);
    check("GOPStructure", /^I[IPB]*$/.test(decoder.GOPStructure), true);
}

// Layers on the running filter, as the README shows them.
var caption = filter.CreateLayer();
caption.SetViewPort(16, 16, 336, 48);
caption.BackColor = 0x80000000;
caption.ForeColor = 0xFFFFFF00;
caption.Text = "Hello from a script";
caption.visible = true;
filter.TopLayer.layers.Add("caption", caption);
caption.Text = "changed while playing";
check("layer colours", hex(caption.BackColor) + " " + hex(caption.ForeColor), "0x80000000 0xffffff00");
check("layer by name", filter.TopLayer.layers.item("caption").Text, "changed while playing");
check("layer description", /^Layer: visible=1, viewport=\{\(16 x 16\)-\(336 x 48\)\}/.test(String(caption)), true);
var logo = new ActiveXObject("Tarvello.Layer");
logo.LoadFromResource("PNG", 201);
check("resource image size", logo.cx + "x" + logo.cy, "48x24");
check("duplicate name", failureOf(function () { filter.TopLayer.layers.Add("caption", logo); }), "0x80004005");
filter.TopLayer.layers.Add("logo", logo);
var names = [];
for (var e = new Enumerator(filter.TopLayer.layers); !e.atEnd(); e.moveNext()) names.push(e.item().cx);
check("layers enumerated", names.join(","), "320,48");

player.Stop();
check("decoder after Stop", filter.decoder, null);

WScript.Echo((failures ? "FAILED " + failures + " of " : "PASS ") + checks + " checks");
WScript.Quit(failures ? 1 : 0);
