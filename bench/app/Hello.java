// The application of the time-to-main benchmark: its main method returns at
// once, so a run is the start-up of the runtime, the call of main and the
// runtime's shutdown. Given "home", it prints the runtime's home instead, so
// the script can check that both ways start the same runtime.
public class Hello {
  public static void main(String[] args) {
    if (args.length > 0 && args[0].equals("home")) System.out.println(System.getProperty("java.home"));
  }
}
