/** The entry point of today's Java: an instance main without parameters. */
public class InstanceMain {
  private final String greeting;

  InstanceMain() {
    greeting = "instance main ran";
  }

  void main() {
    System.out.println(greeting);
  }
}
