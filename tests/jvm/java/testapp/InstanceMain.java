package testapp;

/** An instance main(String[]), which runtimes from JDK 25 on run on an object of the class. */
public class InstanceMain {
    public void main(String[] args) {
        Recorder.main(args);
    }
}
