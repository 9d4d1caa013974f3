// Carrier of a version resource for the COPY tests; never loaded for execution.
extern "C" __declspec(dllexport) int ScriptTestMarker()
{
    return 1;
}
