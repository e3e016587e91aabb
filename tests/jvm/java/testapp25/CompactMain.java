// A compact source file: its implicitly declared class has an instance main without parameters.
void main() {
    testapp.Recorder.ranBy = "instance main()";
}
