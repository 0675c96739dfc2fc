/** Ends the process with the exit code given as its first argument. */
public class Exiter {
  public static void main(String[] args) {
    System.out.println("exiting with " + args[0]);
    System.out.flush();
    System.exit(Integer.parseInt(args[0]));
  }
}
